// The logger's date text. Whatever it is, the result is a real date-time that encodes back to the
// text's own minute when the text was valid.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QString text = QString::fromLatin1(Fuzz::Bytes(data, size));
    const TDateTime value = LoggerTimeToDateTime(text);
    if (!std::isfinite(value))
        std::abort();
    const TDateParts parts = DecodeDateTime(value);
    if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > 31 || parts.hour < 0 ||
        parts.hour > 23 || parts.minute < 0 || parts.minute > 59)
        std::abort();
    if (LoggerTimeToDateTime(QStringView(text)) != value)
        std::abort();
    return 0;
}
