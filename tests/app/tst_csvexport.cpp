#include "csvexport.h"
#include "fakecatalogue.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using Rows = QVector<CrossReference::Row>;

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void separatorFollowsTheDecimalPoint_data();
    void separatorFollowsTheDecimalPoint();
    void field_data();
    void field();
    void writesEachView_data();
    void writesEachView();
    void saveWritesTheWholeFile();
    void saveIntoAMissingFolderFails();
    void failedWriteKeepsTheExistingFile();

private:
    static Rows sampleRows(CrossReference::View view);
};

void TestCsvExport::separatorFollowsTheDecimalPoint_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QChar>("separator");

    QTest::newRow("German, comma decimals") << "de_DE" << QChar(';');
    QTest::newRow("French, comma decimals") << "fr_FR" << QChar(';');
    QTest::newRow("US English, point decimals") << "en_US" << QChar(',');
    QTest::newRow("C locale") << "C" << QChar(',');
    QTest::newRow("Swiss German, point decimals") << "de_CH" << QChar(',');
}

void TestCsvExport::separatorFollowsTheDecimalPoint()
{
    QFETCH(QString, locale);
    QFETCH(QChar, separator);
    QCOMPARE(CsvExport::separatorFor(QLocale(locale)), separator);
}

void TestCsvExport::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("written");

    QTest::newRow("plain") << "12 Plexi Bright" << QChar(';') << "12 Plexi Bright";
    QTest::newRow("empty") << "" << QChar(';') << "";
    QTest::newRow("the separator") << "Plexi; Bright" << QChar(';') << "\"Plexi; Bright\"";
    QTest::newRow("the other separator") << "Plexi, Bright" << QChar(';') << "Plexi, Bright";
    QTest::newRow("comma as separator") << "Plexi, Bright" << QChar(',') << "\"Plexi, Bright\"";
    QTest::newRow("double quotes") << "4x12 \"Green\"" << QChar(',') << "\"4x12 \"\"Green\"\"\"";
    QTest::newRow("line feed") << "a\nb" << QChar(',') << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << QChar(',') << "\"a\rb\"";
    QTest::newRow("single quote") << "Brit '65" << QChar(',') << "Brit '65";
}

void TestCsvExport::field()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(QString, written);
    QCOMPARE(CsvExport::field(text, separator), written);
}

Rows TestCsvExport::sampleRows(CrossReference::View view)
{
    FakeCatalogue names;
    names.presets = 3;
    names.cabs = 3;
    names.offset = 1;
    names.presetNames = { QStringLiteral("Plexi, Bright"), QStringLiteral("Clean"),
        QStringLiteral("Say \"hi\"") };
    names.cabNames = { QStringLiteral("4x12"), QStringLiteral("2x12; Open") };
    UsageLists presetCabs;
    UsageLists cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 0, 1 });
    CrossReference::addPreset(presetCabs, cabPresets, 2, { 0 });
    return CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full);
}

void TestCsvExport::writesEachView_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    QTest::newRow("presets, semicolon") << int(CrossReference::PresetCabs) << QChar(';')
                                        << "Preset;Cabs\n"
                                           "1 Plexi, Bright;C0(4x12);\"C1(2x12; Open)\"\n"
                                           "2 Clean;\n"
                                           "\"3 Say \"\"hi\"\"\";C0(4x12)\n";
    QTest::newRow("presets, comma") << int(CrossReference::PresetCabs) << QChar(',')
                                    << "Preset,Cabs\n"
                                       "\"1 Plexi, Bright\",C0(4x12),C1(2x12; Open)\n"
                                       "2 Clean,\n"
                                       "\"3 Say \"\"hi\"\"\",C0(4x12)\n";
    QTest::newRow("cabinets, semicolon") << int(CrossReference::CabPresets) << QChar(';')
                                         << "Cab;Presets\n"
                                            "C0(4x12);1(Plexi, Bright);\"3(Say \"\"hi\"\")\"\n"
                                            "\"C1(2x12; Open)\";1(Plexi, Bright)\n"
                                            "C2();\n";
    QTest::newRow("cabinets, comma") << int(CrossReference::CabPresets) << QChar(',')
                                     << "Cab,Presets\n"
                                        "C0(4x12),\"1(Plexi, Bright)\",\"3(Say \"\"hi\"\")\"\n"
                                        "C1(2x12; Open),\"1(Plexi, Bright)\"\n"
                                        "C2(),\n";
}

void TestCsvExport::writesEachView()
{
    QFETCH(int, view);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);

    const auto v = CrossReference::View(view);
    QString text;
    QTextStream out(&text);
    CsvExport::write(out, v, sampleRows(v), separator);
    out.flush();
    QCOMPARE(text, expected);
}

void TestCsvExport::saveWritesTheWholeFile()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("cabs.csv"));
    QFile old(fileName);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'x'));
    old.close();

    QVERIFY(CsvExport::save(fileName, CrossReference::PresetCabs,
        sampleRows(CrossReference::PresetCabs), QLatin1Char(';')));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("Preset;Cabs\n1 Plexi, Bright;"));
    QVERIFY(bytes.endsWith("C0(4x12)\n"));
    QCOMPARE(bytes.count('\n'), 4);
}

void TestCsvExport::saveIntoAMissingFolderFails()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("gone/cabs.csv"));
    QVERIFY(!CsvExport::save(fileName, CrossReference::CabPresets,
        sampleRows(CrossReference::CabPresets), QLatin1Char(',')));
    QVERIFY(!QFile::exists(fileName));
}

void TestCsvExport::failedWriteKeepsTheExistingFile()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("cabs.csv"));
    QFile old(fileName);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("kept\n");
    old.close();

    // A file size limit makes every write past a few bytes fail, as a full disk would; it
    // holds even for root, whom permissions would not stop.
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 16;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = CsvExport::save(fileName, CrossReference::PresetCabs,
        sampleRows(CrossReference::PresetCabs), QLatin1Char(';'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("kept\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "cabs.csv" }));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
