// Single record lines in both formats, straight into the EventTable.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QByteArray bytes = Fuzz::Bytes(data, size);
    for (const QString& line : {QString::fromLatin1(bytes), QString::fromUtf8(bytes)}) {
        DataUnit::ClearTables();
        const int status = DataUnit::ParseRecordLine(line);
        // A line is taken into the table exactly when it parses; only a message line too short
        // to hold a message parses without adding one.
        const bool shortMessage = line.startsWith(QLatin1Char('M')) && line.size() < 19;
        const int expected = status == DataUnit::ParseOk && !shortMessage ? 1 : 0;
        if (status < DataUnit::ParseOk || status > DataUnit::ParseTooShort ||
            DataUnit::EventCount() != expected)
            std::abort();
        DataUnit::StartOldFormatYear(EncodeDate(2008, 12, 31));
        const int old = DataUnit::ParseOldRecordLine(line);
        if (old < DataUnit::ParseOk || old > DataUnit::ParseTooShort)
            std::abort();
        Fuzz::CheckTables();
    }
    return 0;
}
