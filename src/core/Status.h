#pragma once

#include <QString>

#include <utility>

namespace verdane {

// What every operation that can go wrong tells its caller, in the store and in the rules for taking snippets in
// and out: it went through; it refused what it was given (an input the user can correct, shown without alarm); or
// it failed (the system could not do it). The message is a sentence for the user, empty when it went through.
class Status final {
public:
    enum class Kind { Ok, Refused, Failed };

    Status() = default;
    static Status ok() { return {}; }
    static Status refused(QString message) { return {Kind::Refused, std::move(message)}; }
    static Status failed(QString message) { return {Kind::Failed, std::move(message)}; }

    Kind kind() const { return m_kind; }
    bool isOk() const { return m_kind == Kind::Ok; }
    bool isRefused() const { return m_kind == Kind::Refused; }
    bool isFailed() const { return m_kind == Kind::Failed; }
    explicit operator bool() const { return isOk(); }
    const QString& message() const { return m_message; }

private:
    Status(Kind kind, QString message)
        : m_kind(kind)
        , m_message(std::move(message)) {}

    Kind m_kind = Kind::Ok;
    QString m_message;
};

} // namespace verdane
