#pragma once
// The exception base of the system: failures carry a user-readable message.
#include <QString>
#include <stdexcept>

#pragma GCC visibility push(default)

class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};

// A text that does not convert to the requested type.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The message of any exception, for diagnostic lines.
inline QString ExceptionMessage(const std::exception& e) {
    if (auto* ex = dynamic_cast<const Exception*>(&e)) return ex->Message();
    return QString::fromLocal8Bit(e.what());
}

#pragma GCC visibility pop
