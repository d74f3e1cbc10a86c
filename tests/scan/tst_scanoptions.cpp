// tollmark-scan's command line and the texts of its progress display.
#include "scanoptions.h"
#include "scanprogress.h"

#include <QtTest>

using View = CrossReference::View;
Q_DECLARE_METATYPE(QList<View>)

class TestScanOptions : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void progressTexts();
};

void TestScanOptions::accepted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<View>>("views");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("keepPartial");

    const QList<View> presets { CrossReference::PresetCabs };
    const QList<View> cabs { CrossReference::CabPresets };
    const QList<View> both { CrossReference::PresetCabs, CrossReference::CabPresets };
    QTest::newRow("defaults") << QStringList() << presets << QString() << false;
    QTest::newRow("view cabs") << QStringList { "--view", "cabs" } << cabs << QString() << false;
    QTest::newRow("view=both") << QStringList { "--view=both" } << both << QString() << false;
    QTest::newRow("last view wins")
        << QStringList { "--view", "cabs", "--view", "presets" } << presets << QString() << false;
    QTest::newRow("-o") << QStringList { "-o", "rig.csv" } << presets << "rig.csv" << false;
    QTest::newRow("--output=") << QStringList { "--output=a b.csv", "--keep-partial" } << presets
                               << "a b.csv" << true;
    QTest::newRow("file named like an option")
        << QStringList { "-o", "--view" } << presets << "--view" << false;
}

void TestScanOptions::accepted()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<View>, views);
    QFETCH(QString, output);
    QFETCH(bool, keepPartial);
    ScanOptions options;
    QString error;
    QVERIFY2(ScanOptions::parse(QStringList { "tollmark-scan" } + arguments, options, error),
        qPrintable(error));
    QCOMPARE(options.views, views);
    QCOMPARE(options.output, output);
    QCOMPARE(options.keepPartial, keepPartial);
    QVERIFY(!options.listPorts && !options.showHelp);
}

void TestScanOptions::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unknown view") << QStringList { "--view", "tables" } << "tables";
    QTest::newRow("view without value") << QStringList { "--view" } << "--view";
    QTest::newRow("-o without file") << QStringList { "-o" } << "-o";
    QTest::newRow("empty file name") << QStringList { "--output=" } << "empty";
    QTest::newRow("unknown option") << QStringList { "--views" } << "--views";
    QTest::newRow("stray argument") << QStringList { "rig.csv" } << "rig.csv";
}

void TestScanOptions::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    ScanOptions options;
    QString error;
    QVERIFY(!ScanOptions::parse(QStringList { "tollmark-scan" } + arguments, options, error));
    QVERIFY2(error.contains(mentions), qPrintable(error));
    QVERIFY(!error.contains(QLatin1Char('\n')));
}

void TestScanOptions::progressTexts()
{
    QCOMPARE(ScanProgress::lineText(ScanJob::CabUsage, 42), QStringLiteral("Cabs per preset: 42%"));
    const QString empty = ScanProgress::barText(ScanJob::CabNames, 0);
    const QString half = ScanProgress::barText(ScanJob::CabNames, 50);
    const QString full = ScanProgress::barText(ScanJob::CabNames, 100);
    // The bar keeps its width, so redrawing it in place leaves no stale characters.
    QCOMPARE(empty.size(), full.size());
    QCOMPARE(half.size(), full.size());
    QCOMPARE(empty.count(QLatin1Char('#')), 0);
    QCOMPARE(half.count(QLatin1Char('#')) * 2, full.count(QLatin1Char('#')));
    QVERIFY(full.endsWith(QLatin1String("100%")));
    QCOMPARE(ScanProgress::barText(ScanJob::CabNames, 130), full);
}

QTEST_GUILESS_MAIN(TestScanOptions)
#include "tst_scanoptions.moc"
