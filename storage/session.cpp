#include "session.h"

Session::Session() = default;

Session::~Session() = default;
