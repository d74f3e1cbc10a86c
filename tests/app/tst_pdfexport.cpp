#include "fakecatalogue.h"
#include "guitestmain.h"
#include "pdfexport.h"

#include <QtTest>

class TestPdfExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rendersTitleDateCountsAndTable_data();
    void rendersTitleDateCountsAndTable();
    void longTablesRunAcrossPages();
    void missingFolderFails();

private:
    static QString run(const QString& program, const QStringList& arguments);
    static QVector<CrossReference::Row> rows(CrossReference::View view, int presets);
};

void TestPdfExport::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
}

QString TestPdfExport::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QVector<CrossReference::Row> TestPdfExport::rows(CrossReference::View view, int presets)
{
    FakeCatalogue names;
    names.presets = presets;
    names.cabs = 3;
    for (int i = 0; i < presets; ++i)
        names.presetNames.append(QStringLiteral("Preset number %1").arg(i));
    names.presetNames[0] = QStringLiteral("Plexi <Bright> & Co");
    names.cabNames = { QStringLiteral("4x12 Green"), QStringLiteral("2x12 Blue") };
    UsageLists presetCabs;
    UsageLists cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 0, 1 });
    CrossReference::addPreset(presetCabs, cabPresets, presets - 1, { 1 });
    return CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full);
}

void TestPdfExport::rendersTitleDateCountsAndTable_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("presets") << int(CrossReference::PresetCabs)
                             << QStringList({ "Tollmark: Preset -> Cabs", "Preset", "Cabs",
                                    "0 Plexi <Bright> & Co", "C0(4x12 Green), C1(2x12 Blue)",
                                    "1 Preset number 1" });
    QTest::newRow("cabinets") << int(CrossReference::CabPresets)
                              << QStringList({ "Tollmark: Cab -> Presets", "Cab", "Presets",
                                     "C1(2x12 Blue)", "0(Plexi <Bright> & Co), 4(", "C2()" });
}

void TestPdfExport::rendersTitleDateCountsAndTable()
{
    QFETCH(int, view);
    QFETCH(QStringList, texts);

    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("cabs.pdf"));
    PdfExport pdf(CrossReference::View(view), rows(CrossReference::View(view), 5), 384, 232);
    const QDateTime date(QDate(2024, 3, 9), QTime(14, 30));
    pdf.setDate(date);
    QVERIFY(pdf.save(fileName));

    const QString text = run(QStringLiteral("pdftotext"), { fileName, QStringLiteral("-") });
    QVERIFY2(!text.isEmpty(), "pdftotext could not read the file");
    const QString simplified = text.simplified();
    for (const QString& expected : texts)
        QVERIFY2(simplified.contains(expected), qPrintable(expected));
    QVERIFY(simplified.contains(QStringLiteral("384 presets, 232 cabinets")));
    QVERIFY(simplified.contains(QLocale().toString(date, QLocale::LongFormat).simplified()));
}

void TestPdfExport::longTablesRunAcrossPages()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("long.pdf"));
    const PdfExport pdf(CrossReference::PresetCabs, rows(CrossReference::PresetCabs, 400), 400, 3);
    QVERIFY(pdf.save(fileName));

    const QString info = run(QStringLiteral("pdfinfo"), { fileName });
    const QRegularExpressionMatch pages
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    QVERIFY(pages.hasMatch());
    QVERIFY(pages.captured(1).toInt() > 1);

    const QString text = run(QStringLiteral("pdftotext"), { fileName, QStringLiteral("-") });
    QVERIFY(text.contains(QStringLiteral("399 Preset number 399")));
    QVERIFY(text.contains(QStringLiteral("200 Preset number 200")));
}

void TestPdfExport::missingFolderFails()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("gone/cabs.pdf"));
    const PdfExport pdf(CrossReference::PresetCabs, rows(CrossReference::PresetCabs, 3), 3, 3);
    QVERIFY(!pdf.save(fileName));
    QVERIFY(!QFile::exists(fileName));
}

TOLLMARK_GUI_TEST_MAIN(TestPdfExport)
#include "tst_pdfexport.moc"
