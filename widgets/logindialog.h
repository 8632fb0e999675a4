#pragma once

#include "dbserver.h"

#include <QDialog>

#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

// Asks for the user name and password of the database server that holds
// the diary. The password is shown as dots and kept only in memory.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    LoginDialog(const QString& serverName, const QString& user, QWidget* parent = nullptr);

    Credentials credentials() const;

    // Shows the dialog modally; none when it was cancelled.
    static std::optional<Credentials> ask(const QString& serverName, const QString& user, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QDialogButtonBox* ButtonBox1 = nullptr;
};
