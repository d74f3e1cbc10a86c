// The CSV export: the separator the locale asks for, fields quoted only where they must be,
// and a file written whole or not at all.
#include "csvexport.h"
#include "fakecatalogue.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void separatorFollowsTheDecimalPoint_data();
    void separatorFollowsTheDecimalPoint();
    void write_data();
    void write();
    void saveIsWholeOrNothing();
};

namespace {

QVector<CrossReference::Row> rows(CrossReference::View view)
{
    FakeCatalogue names;
    names.presets = names.cabs = 3;
    names.offset = 1;
    names.presetNames = QStringList { "Plexi, Bright", "Clean", "Say \"hi\"\nthere" };
    names.cabNames = QStringList { "4x12", "2x12; Open" };
    UsageLists presetCabs, cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 0, 1 });
    CrossReference::addPreset(presetCabs, cabPresets, 2, { 0 });
    return CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

void TestCsvExport::separatorFollowsTheDecimalPoint_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("comma decimals") << "de_DE" << QChar(';');
    QTest::newRow("point decimals") << "en_US" << QChar(',');
}

void TestCsvExport::separatorFollowsTheDecimalPoint()
{
    QFETCH(QString, locale);
    QFETCH(QChar, separator);
    QCOMPARE(CsvExport::separatorFor(QLocale(locale)), separator);
}

void TestCsvExport::write_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("presets ;") << int(CrossReference::PresetCabs) << QChar(';')
                               << "Preset;Cabs\n1 Plexi, Bright;C0(4x12);\"C1(2x12; Open)\"\n"
                                  "2 Clean;\n\"3 Say \"\"hi\"\"\nthere\";C0(4x12)\n";
    QTest::newRow("cabinets ,") << int(CrossReference::CabPresets) << QChar(',')
                                << "Cab,Presets\nC0(4x12),\"1(Plexi, Bright)\",\"3(Say "
                                   "\"\"hi\"\"\nthere)\"\nC1(2x12; Open),\"1(Plexi, Bright)\"\n"
                                   "C2(),\n";
}

void TestCsvExport::write()
{
    QFETCH(int, view);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QString text;
    QTextStream out(&text);
    CsvExport::write(out, CrossReference::View(view), rows(CrossReference::View(view)), separator);
    out.flush();
    QCOMPARE(text, expected);
}

void TestCsvExport::saveIsWholeOrNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cabs.csv"));
    const auto save = [&](const QString& to) {
        return CsvExport::save(
            to, CrossReference::PresetCabs, rows(CrossReference::PresetCabs), QLatin1Char(';'));
    };
    QVERIFY(!save(dir.filePath(QStringLiteral("gone/cabs.csv"))));
    QVERIFY(save(path));
    const QByteArray whole = contents(path);
    QVERIFY(whole.startsWith("Preset;Cabs\n1 Plexi"));

    // A write that fails past a few bytes, as on a full disk (even for root), changes nothing.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 16;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    const bool written = CsvExport::save(
        path, CrossReference::CabPresets, rows(CrossReference::CabPresets), QLatin1Char(','));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    QVERIFY(!written);
    QCOMPARE(contents(path), whole);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "cabs.csv" }));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
