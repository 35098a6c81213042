// Another program holding a serial port open through Qt's serial port: prints "held" once the
// port is open and keeps it until its input closes.
#include <QCoreApplication>
#include <QSerialPort>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QSerialPort port;
    port.setPortName(QString::fromLocal8Bit(argv[1]));
    if (!port.open(QIODevice::ReadWrite)) {
        std::printf("failed %s\n", qPrintable(port.errorString()));
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    return 0;
}
