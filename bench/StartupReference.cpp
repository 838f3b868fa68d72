// The yardstick for the start-up of the console programs: the least a Qt
// console program does to answer --help (an application object and a command
// line parser). scripts/bench-startup times the programs against it.
#include <QCommandLineParser>
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Start-up reference: a minimal Qt console program."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("port"), QStringLiteral("TCP port."), QStringLiteral("N")});
    parser.process(app);
    return 0;
}
