#include "tools/hyetra-sim/SimOptions.h"

#include "tools/hyetra-sim/LoggerReplies.h"

#include <QCommandLineParser>
#include <cstdio>

namespace {

struct FaultInfo {
    Fault fault;
    const char* name;
    const char* help;
};

const FaultInfo kFaults[] = {
    {Fault::Silent, "silent", "never answers anything"},
    {Fault::NoStatus, "no-status", "answers \":\" (and the other commands) but never \"Q\""},
    {Fault::StatusShort, "status-short",
     "status reply ends after the \" Days\" line, then \"OK\" (no version, no battery)"},
    {Fault::StatusCut, "status-cut", "status reply stops after the \" Days\" line and never ends"},
    {Fault::StatusHalf, "status-half",
     "status reply stops half-way (in the clock line), never ends"},
    {Fault::SlowLines, "slow-lines",
     "waits --line-delay ms after every line of a reply (the prompt comes whole)"},
    {Fault::DownloadPause, "download-pause",
     "stops for --pause seconds half-way through a download"},
    {Fault::WrongCrc, "wrong-crc", "download check sum field does not match the data"},
    {Fault::NoCrc, "no-crc", "download ends with \"OK\" but has no check sum field"},
    {Fault::CutOff, "cut-off", "download stops before \"!\" and never ends"},
    {Fault::Vanish, "vanish",
     "the device disappears half-way through a download (link removed, line closed; the "
     "simulator then ends)"},
    {Fault::Garbage, "garbage", "line noise between download lines (the check sum then fails)"},
    {Fault::ClearSilent, "clear-silent", "clears the memory but never answers \"c\""},
    {Fault::ClearNoLineEnd, "clear-no-line-end", "answers \"c\" with \"OK\" but no CR LF"},
    {Fault::ClockSilent, "clock-silent", "never answers \"k\" (the clock is set all the same)"},
};

int Usage(const QString& message) {
    std::fprintf(stderr, "hyetra-sim: %s\nTry hyetra-sim --help.\n", qPrintable(message));
    return 2;
}

bool ToInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    value = v;
    return true;
}

bool ToMs(const QString& text, double lowSeconds, double highSeconds, qint64& ms) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || v < lowSeconds || v > highSeconds)
        return false;
    ms = qint64(v * 1000.0 + (v < 0 ? -0.5 : 0.5));
    return true;
}

QString FaultHelp() {
    QString text = QStringLiteral("\nFaults (--fault NAME, repeatable or comma-separated):\n");
    for (const FaultInfo& f : kFaults)
        text += QStringLiteral("  %1%2\n")
                    .arg(QString::fromLatin1(f.name).leftJustified(20))
                    .arg(QString::fromLatin1(f.help));
    text += QStringLiteral(
        "\nThe simulator creates a pseudo-terminal and links it as COMn in\n"
        "$XDG_CONFIG_HOME/Pluvatec/Ombrex2/ports/ (~/.config when XDG_CONFIG_HOME is unset),\n"
        "where Ombrex looks for its ports. It prints the port and device it attached, answers\n"
        "Ombrex as a Hyetra would, and removes the link when it ends (Ctrl+C).\n"
        "In Ombrex, pick the logger model that matches --model: \"Hyetra\" for 1,\n"
        "\"Hyetra 2.0 (USB)\" for 2 (answer Yes to \"Do you have a USB based Hyetra 2.0?\").\n"
        "\nMemory file lines (the data-file layout of Ombrex):\n"
        "  S,MM/dd/yy,HH:mm        start time (when the memory was last cleared)\n"
        "  MM/dd/yy,HH:mm,C.CC     a record: C.CC x 100 tips in that minute (0.00 to 2.55)\n"
        "  M,MM/dd/yy,HH:mm,text   a message line (new record format only: versions whose\n"
        "                          third character is 5 or above)\n"
        "  # ...                   a comment\n"
        "Without an S line a first record of 0.00 (as Ombrex saves it) is taken as the start.\n");
    return text;
}

} // namespace

QString FaultName(Fault f) {
    for (const FaultInfo& info : kFaults)
        if (info.fault == f)
            return QString::fromLatin1(info.name);
    return {};
}

int ParseOptions(const QStringList& arguments, SimOptions& o) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual Hyetra rain logger for Ombrex: it plays the logger on a pseudo-terminal\n"
        "attached as a COM port, so Ombrex can be tried without the instrument."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Attach as COM<n>, 1 to 50 (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption replace(
        QStringLiteral("replace"),
        QStringLiteral("Replace an entry for that port that maps another device."));
    const QCommandLineOption model(
        QStringLiteral("model"),
        QStringLiteral("1: the serial Hyetra, 9600 baud; 2: Hyetra 2.0 (USB), 115200 baud "
                       "(default 2)."),
        QStringLiteral("1|2"), QStringLiteral("2"));
    const QCommandLineOption version(
        QStringLiteral("version"),
        QStringLiteral("Version code, 3 characters. The second gives the memory: '1' 256K "
                       "(10732 records), '2' 2 MB (232106), else 128K (5356). The third gives "
                       "the record format: '4' or below old (download \"o\"), '5' or above new "
                       "(\"y\"). Default 225 for model 2, 114 for model 1."),
        QStringLiteral("VVV"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("Logger name, at most 32 characters "
                                                 "(default \"Hyetra Sim\")."),
                                  QStringLiteral("text"));
    const QCommandLineOption battery(
        QStringLiteral("battery"),
        QStringLiteral("Battery text of the status, 10 characters (default \"3.60 Volts\")."),
        QStringLiteral("text"));
    const QCommandLineOption memory(QStringLiteral("memory"),
                                    QStringLiteral("Read the memory from a file (format below)."),
                                    QStringLiteral("file"));
    const QCommandLineOption records(
        QStringLiteral("records"),
        QStringLiteral("Generate this many records of rain (default 1500; capped at the memory "
                       "size of the version)."),
        QStringLiteral("n"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the rain generator (default 1)."),
                                  QStringLiteral("s"), QStringLiteral("1"));
    const QCommandLineOption writeMemory(
        QStringLiteral("write-memory"),
        QStringLiteral("Write the memory to a file in the memory-file format at start and "
                       "after each clearing."),
        QStringLiteral("file"));
    const QCommandLineOption state(
        QStringLiteral("state"),
        QStringLiteral("Keep name, clock and memory in this JSON file: read at start when it "
                       "exists (options given override it), rewritten after every change."),
        QStringLiteral("file"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Log every byte received, and the replies, with "
                                                "times, to this file."),
                                 QStringLiteral("file"));
    const QCommandLineOption fast(QStringLiteral("fast"),
                                  QStringLiteral("Send as fast as the line takes it instead of "
                                                 "at the model's baud rate."));
    const QCommandLineOption clearDelay(
        QStringLiteral("clear-delay"),
        QStringLiteral("Seconds the clearing takes before \"OK\" (default 10; up to 3600, so "
                       "also longer than the program's 31-second erase window)."),
        QStringLiteral("seconds"), QStringLiteral("10"));
    const QCommandLineOption clockOffset(
        QStringLiteral("clock-offset"),
        QStringLiteral("The logger clock starts this many seconds ahead of the PC clock "
                       "(negative: behind; default 0)."),
        QStringLiteral("seconds"));
    const QCommandLineOption clockRate(
        QStringLiteral("clock-rate"),
        QStringLiteral("The logger clock runs fast by this many parts per million (negative: "
                       "slow) from the start and from each clock setting on (default 0)."),
        QStringLiteral("ppm"), QStringLiteral("0"));
    const QCommandLineOption grow(
        QStringLiteral("grow"),
        QStringLiteral("The logger goes on logging: after each download its memory gains this "
                       "many records of one tip, between its last record and its clock "
                       "(default 0)."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("Play a fault (list below)."),
                                   QStringLiteral("name"));
    const QCommandLineOption lineDelay(
        QStringLiteral("line-delay"),
        QStringLiteral("Pause after each line for the slow-lines fault, ms (default 100)."),
        QStringLiteral("ms"), QStringLiteral("100"));
    const QCommandLineOption pause(
        QStringLiteral("pause"),
        QStringLiteral("Length of the download-pause fault, seconds (default 10)."),
        QStringLiteral("seconds"), QStringLiteral("10"));
    const QCommandLineOption strictWake(
        QStringLiteral("strict-wake"),
        QStringLiteral("Take a command letter only right after a \":\" wake-up (one command per "
                       "wake-up); any other command byte is ignored."));
    const QCommandLineOption promptDelay(
        QStringLiteral("prompt-delay"),
        QStringLiteral("Milliseconds from \":\" to the prompt (default 0). The logger is busy "
                       "meanwhile."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption busyDrops(
        QStringLiteral("busy-drops"),
        QStringLiteral("Drop what arrives while the logger is busy (waking, answering, "
                       "clearing) instead of holding it in its 64-byte input buffer until it is "
                       "free."));
    parser.addOptions({help,    port,       replace,     model,       version,     name,
                       battery, memory,     records,     seed,        writeMemory, state,
                       log,     fast,       clearDelay,  clockOffset, fault,       lineDelay,
                       pause,   strictWake, promptDelay, busyDrops,   clockRate,   grow});

    if (!parser.parse(arguments))
        return Usage(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText() + FaultHelp()), stdout);
        return -1;
    }
    if (!parser.positionalArguments().isEmpty())
        return Usage(QStringLiteral("unexpected argument \"%1\"")
                         .arg(parser.positionalArguments().constFirst()));

    if (!ToInt(parser.value(port), 1, 50, o.port))
        return Usage(QStringLiteral("--port takes 1 to 50"));
    o.replace = parser.isSet(replace);
    if (!ToInt(parser.value(model), 1, 2, o.model))
        return Usage(QStringLiteral("--model takes 1 or 2"));
    o.version = parser.isSet(version)
                    ? parser.value(version)
                    : (o.model == 1 ? QStringLiteral("114") : QStringLiteral("225"));
    if (const QString why = VersionProblem(o.version); !why.isEmpty())
        return Usage(QStringLiteral("--version: %1").arg(why));
    if (parser.isSet(name)) {
        o.name = parser.value(name).left(32);
        o.nameGiven = true;
        for (const QChar c : o.name)
            if (c.unicode() < 32 || c.unicode() > 255)
                return Usage(
                    QStringLiteral("--name holds Latin-1 text without control characters"));
    }
    if (parser.isSet(battery)) {
        o.battery = parser.value(battery).leftJustified(10, QLatin1Char(' '), true);
        for (const QChar c : o.battery)
            if (c.unicode() < 32 || c.unicode() > 126)
                return Usage(QStringLiteral("--battery holds printable ASCII only"));
        if (o.battery.back().toUpper() == QLatin1Char('K'))
            return Usage(QStringLiteral("--battery cannot end in 'k' (\"k\" CR LF ends a reply)"));
    }
    o.memoryFile = parser.value(memory);
    if (parser.isSet(records)) {
        if (!ToInt(parser.value(records), 0, 10000000, o.records))
            return Usage(QStringLiteral("--records takes a whole number from 0"));
        o.recordsGiven = true;
    }
    if (!o.memoryFile.isEmpty() && o.recordsGiven)
        return Usage(QStringLiteral("give --memory or --records, not both"));
    bool ok = false;
    o.seed = parser.value(seed).toULongLong(&ok);
    if (!ok)
        return Usage(QStringLiteral("--seed takes a whole number"));
    o.writeMemoryFile = parser.value(writeMemory);
    o.stateFile = parser.value(state);
    o.logFile = parser.value(log);
    o.fast = parser.isSet(fast);
    qint64 ms = 0;
    if (!ToMs(parser.value(clearDelay), 0, 3600, ms))
        return Usage(QStringLiteral("--clear-delay takes 0 to 3600 seconds"));
    o.clearDelayMs = int(ms);
    if (parser.isSet(clockOffset)) {
        if (!ToMs(parser.value(clockOffset), -3.2e9, 3.2e9, o.clockOffsetMs))
            return Usage(QStringLiteral("--clock-offset takes seconds"));
        o.clockOffsetGiven = true;
    }
    bool rateOk = false;
    o.clockRatePpm = parser.value(clockRate).toDouble(&rateOk);
    if (!rateOk || o.clockRatePpm <= -1e6 || o.clockRatePpm > 1e7)
        return Usage(QStringLiteral("--clock-rate takes parts per million above -1000000"));
    if (!ToInt(parser.value(grow), 0, 100000, o.growRecords))
        return Usage(QStringLiteral("--grow takes 0 to 100000 records"));
    if (!ToInt(parser.value(lineDelay), 0, 600000, o.lineDelayMs))
        return Usage(QStringLiteral("--line-delay takes 0 to 600000 ms"));
    if (!ToMs(parser.value(pause), 0, 3600, ms))
        return Usage(QStringLiteral("--pause takes 0 to 3600 seconds"));
    o.pauseMs = int(ms);
    o.strictWake = parser.isSet(strictWake);
    if (!ToInt(parser.value(promptDelay), 0, 60000, o.promptDelayMs))
        return Usage(QStringLiteral("--prompt-delay takes 0 to 60000 ms"));
    o.busyDrops = parser.isSet(busyDrops);
    for (const QString& value : parser.values(fault)) {
        for (const QString& item : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool known = false;
            for (const FaultInfo& f : kFaults) {
                if (item.trimmed() == QLatin1String(f.name)) {
                    o.faults.insert(f.fault);
                    known = true;
                }
            }
            if (!known)
                return Usage(QStringLiteral("unknown fault \"%1\"").arg(item));
        }
    }
    return 0;
}
