// SPDX-License-Identifier: GPL-3.0-or-later
// The program started with Qt's own options opens its caution window and ends on Exit.
#include "Program.h"

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <vector>

namespace {

constexpr const char* AsProgram = "--as-program";

// Runs main()'s two steps on the arguments after AsProgram, then reports what opened on
// stdout and presses the caution window's Exit.
int actAsProgram(int argc, char* argv[])
{
    std::vector<char*> arguments{argv[0]};
    for (int i = 2; i < argc; ++i)
        arguments.push_back(argv[i]);
    int count = static_cast<int>(arguments.size());
    prepareForCommandLine(count, arguments.data());
    // A windowed form leaves the platform to the desktop (here: -platform offscreen).
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return 3;
    QApplication app(count, arguments.data());
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() != QLatin1String("CautionStatement") || !window->isVisible())
                continue;
            std::printf("caution %s %s\n", qPrintable(QApplication::style()->name()),
                        QApplication::isRightToLeft() ? "rtl" : "ltr");
            std::fflush(stdout);
            window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        }
        QCoreApplication::exit(4); // no caution window, or Exit did not end the program
    });
    return runProgram();
}

} // namespace

class QtOptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void startsWithQtOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("shown");
        QTest::newRow("-style Fusion") << QStringList{"-style", "Fusion"} << "caution fusion ltr";
        QTest::newRow("-style=Fusion") << QStringList{"-style=Fusion"} << "caution fusion ltr";
        QTest::newRow("-reverse") << QStringList{"-reverse"} << "caution fusion rtl";
    }

    void startsWithQtOptions()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, shown);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(environment);
        program.start(QCoreApplication::applicationFilePath(),
                      QStringList{AsProgram, "-platform", "offscreen"} + options);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()).trimmed(), shown);
        QCOMPARE(program.exitCode(), 0);
    }
};

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], AsProgram) == 0)
        return actAsProgram(argc, argv);
    QCoreApplication app(argc, argv);
    QtOptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtoptions.moc"
