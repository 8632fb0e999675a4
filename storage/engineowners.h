#pragma once

#include "enginestatus.h"

#include <firebird/Interface.h>

#include <cstring>
#include <type_traits>
#include <utility>

// Owners of the engine's objects for the storage's own files: each lets its
// object go when it goes itself, also when an engine call throws on the way,
// so that no early return has to remember it. They move, they do not copy.
//
// An object whose life ends through one of its own calls (an attachment's
// detach or dropDatabase, a transaction's commit, a statement's free, a
// cursor's or blob's close, a service's detach) is ended through the owner's
// member of that name: when the call succeeds the engine has let the object
// go and the owner holds nothing; when it throws, the owner keeps it and
// releases it later. Such a call made through operator-> instead would leave
// the owner holding an object that is gone.
namespace engine {

template <typename T>
class Owner
{
public:
    Owner() = default;
    explicit Owner(T* object) : m_object(object) {}
    ~Owner() { reset(); }
    Owner(Owner&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // Lets the object held go (released, or disposed for the kinds the
    // engine disposes) and holds the one given instead.
    void reset(T* object = nullptr)
    {
        if (T* old = std::exchange(m_object, object))
            letGo(old);
    }

protected:
    // Ends the object's life through a call of its own that lets it go on
    // success; on a throw the object stays here.
    template <typename Call>
    void end(Call&& call)
    {
        call(m_object);
        m_object = nullptr;
    }

    static void letGo(T* object)
    {
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, T>)
            object->release();
        else
            object->dispose();
    }

private:
    T* m_object = nullptr;
};

using Provider = Owner<Firebird::IProvider>;
using Metadata = Owner<Firebird::IMessageMetadata>;
using StatusObject = Owner<Firebird::IStatus>;

class Attachment : public Owner<Firebird::IAttachment>
{
public:
    using Owner::Owner;
    void detach(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IAttachment* a) { a->detach(st); });
    }
    void dropDatabase(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IAttachment* a) { a->dropDatabase(st); });
    }
    // Ends the connection without a throw: a detach the engine refuses (a
    // connection that is gone already) releases the object all the same.
    void detachQuietly()
    {
        if (!get())
            return;
        try {
            Status st;
            detach(&st);
        } catch (const Firebird::FbException&) {
            reset();
        }
    }
};

// A transaction left without commit is rolled back; one whose rollback the
// engine refuses is released all the same.
class Transaction : public Owner<Firebird::ITransaction>
{
public:
    using Owner::Owner;
    ~Transaction() { rollback(); }
    Transaction(Transaction&&) noexcept = default;
    Transaction& operator=(Transaction&& other) noexcept
    {
        if (this != &other) {
            rollback();
            Owner::operator=(std::move(other));
        }
        return *this;
    }

    void commit(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::ITransaction* t) { t->commit(st); });
    }
    // A rollback whose failure is the caller's to handle.
    void rollback(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::ITransaction* t) { t->rollback(st); });
    }
    void rollback()
    {
        if (!get())
            return;
        try {
            Status st;
            rollback(&st);
        } catch (const Firebird::FbException&) {
            reset();
        }
    }
    // Lets the transaction go without a word to the server: for one whose
    // connection is gone.
    void abandon() { reset(); }
};

class Statement : public Owner<Firebird::IStatement>
{
public:
    using Owner::Owner;
    void free(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IStatement* s) { s->free(st); });
    }
};

class Cursor : public Owner<Firebird::IResultSet>
{
public:
    using Owner::Owner;
    void close(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IResultSet* r) { r->close(st); });
    }
};

class Blob : public Owner<Firebird::IBlob>
{
public:
    using Owner::Owner;
    void close(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IBlob* b) { b->close(st); });
    }
};

class Service : public Owner<Firebird::IService>
{
public:
    using Owner::Owner;
    void detach(Firebird::ThrowStatusWrapper* st)
    {
        end([st](Firebird::IService* s) { s->detach(st); });
    }
};

// A parameter block builder. One that holds a password has its buffer
// overwritten with zeros before it is disposed, whichever way it goes.
class Builder : public Owner<Firebird::IXpbBuilder>
{
public:
    Builder() = default;
    explicit Builder(Firebird::IXpbBuilder* builder, bool secret = false) : Owner(builder), m_secret(secret) {}
    ~Builder() { reset(); }
    Builder(Builder&& other) noexcept : Owner(std::move(other)), m_secret(std::exchange(other.m_secret, false)) {}
    Builder& operator=(Builder&& other) noexcept
    {
        if (this != &other) {
            reset();
            Owner::operator=(std::move(other));
            m_secret = std::exchange(other.m_secret, false);
        }
        return *this;
    }

    void reset()
    {
        if (get() && m_secret)
            wipe(get());
        Owner::reset();
        m_secret = false;
    }

private:
    static void wipe(Firebird::IXpbBuilder* builder)
    {
        const StatusObject status(engineMaster()->getStatus());
        Firebird::CheckStatusWrapper st(status.get());
        const unsigned length = builder->getBufferLength(&st);
        const unsigned char* buffer = builder->getBuffer(&st);
        if (!(st.getState() & Firebird::IStatus::STATE_ERRORS) && buffer)
            explicit_bzero(const_cast<unsigned char*>(buffer), length);
    }

    bool m_secret = false;
};

} // namespace engine
