#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// hyetra-sim started as a child process in the test's own config folder. By default it plays
// the strict logger: a command counts only after its ":" wake-up, and the prompt takes 100 ms.
class SimProcess {
public:
    enum Form { Strict, Lenient };
    explicit SimProcess(const QStringList& arguments, Form form = Strict);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The line it printed on start ("" when it never got that far).
    const QString& startLine() const { return m_startLine; }
    // Sends the signal and waits; the exit code (-1 when it did not end in time).
    int stop(int signal);
    bool waitEnded(int timeoutMs);
    QByteArray output();
    int exitCode() const { return m_process.exitCode(); }

    static QString Program();
    static QString LinkPath(int port);
    // Runs it to its end (for --help and usage errors).
    static int Run(const QStringList& arguments, QByteArray& out, QByteArray& err);

private:
    QProcess m_process;
    QString m_startLine;
    QByteArray m_rest;
};

// The program's end of the line: a plain descriptor opened through the ports-folder link.
class SimLine {
public:
    SimLine(int port, int baud);
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray& bytes);
    // Everything that arrives until `end` has come (or the time is up).
    QByteArray readUntil(const QByteArray& end, int timeoutMs);
    // Everything that arrives until the line has been quiet for quietMs (at most maxMs).
    QByteArray readQuiet(int quietMs, int maxMs = 10000);
    // What a read on the line reports once the logger has gone: true on hang-up or EIO.
    bool hungUp(int timeoutMs);
    void close();

private:
    int m_fd = -1;
};

// The status reply taken apart the way the program does it.
struct ParsedStatus {
    bool complete = false; // reached past " Days"
    bool versionRead = false;
    bool batteryRead = false;
    QString name;
    QString clock;
    int records = -1;
    QString version;
    QString battery;
};
ParsedStatus ParseStatusAsProgram(const QByteArray& reply);
// Position of the first "OK" CR LF in any letter case (-1 none): where the program ends a reply.
qsizetype FirstOkLineEnd(const QByteArray& bytes);
// The download check of the program: true when the "!" field matches or is absent.
bool CheckCrcField(const QByteArray& capture);
QJsonObject ReadJson(const QString& path);
QStringList ReadLines(const QString& path);
void WriteText(const QString& path, const QByteArray& text);
// "MM/dd/yy HH:mm[:ss]" read as a local wall-clock time.
QDateTime LoggerTextTime(const QString& text);
