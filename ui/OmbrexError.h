#pragma once

#include <QString>
#include <stdexcept>

// The one error type the layers raise. The code is negative, as the serial layer's codes are;
// the message is what the general error display shows.
class OmbrexError : public std::runtime_error {
public:
    OmbrexError(int code, const QString& message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}
    explicit OmbrexError(const QString& message) : OmbrexError(-1, message) {}

    int code() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};
