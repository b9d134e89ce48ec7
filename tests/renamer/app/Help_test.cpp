// The installed help documents: every function of the formula library and
// every ready-made text is documented, and no marker is left unexpanded.
#include <QFile>
#include <QTest>

#include "HelpSections.h"
#include "formula/functions/FunctionTable.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/templates/MacroPresets.h"

using namespace kq;

namespace {

QString ReadHelp(const char* name)
{
    QFile file(qEnvironmentVariable("KQ_HELP_BUILD_DIR") + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString H(std::u16string_view text) { return QString::fromStdString(help::Html(text)); }

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void FormulaHelp_DocumentsEveryFunction();
    void MainHelp_ListsReadyMadeTextsAndRules();
    void Markers_UnknownNameIsReported();
};

void HelpTest::FormulaHelp_DocumentsEveryFunction()
{
    const QString html = ReadHelp("calhelp.html");
    QVERIFY2(!html.isEmpty(), "calhelp.html was not generated");
    QVERIFY(!html.contains(QStringLiteral("<!-- KQ:")));
    QVERIFY(!FunctionTable().empty());
    for (const CFunctionInfo& info : FunctionTable()) {
        const QString anchor = QString::fromStdString(help::FunctionAnchor(info.m_strName));
        const QString entry = QStringLiteral("id=\"%1\"").arg(anchor);
        QVERIFY2(html.count(entry) == 1, qPrintable(anchor));
        // The entry holds the description, arguments, result and example.
        const qsizetype start = html.indexOf(entry);
        const QString body = html.mid(start, html.indexOf(QStringLiteral("</div>"), start) - start);
        for (std::u16string_view part : {info.m_strDescription, info.m_strResult, info.m_strExample})
            QVERIFY2(body.contains(H(part)), qPrintable(anchor));
        QVERIFY2(html.contains(QStringLiteral("href=\"#%1\"").arg(anchor)), qPrintable(anchor));
    }
    QVERIFY(html.contains(QStringLiteral("共 %1 个").arg(FunctionTable().size())));
}

void HelpTest::MainHelp_ListsReadyMadeTextsAndRules()
{
    const QString html = ReadHelp("KQTools.html");
    QVERIFY2(!html.isEmpty(), "KQTools.html was not generated");
    QVERIFY(!html.contains(QStringLiteral("<!-- KQ:")));
    for (const CExpressionPreset& preset : MacroPresets()) {
        QVERIFY2(html.contains(H(preset.m_strExpression)), qPrintable(H(preset.m_strExpression)));
        QVERIFY(html.contains(H(preset.m_strDescription)));
    }
    for (int i = 0; i < kFormulaPresetCount; ++i)
        QVERIFY(html.contains(H(FormulaPresets()[i].m_strExpression)));
    QVERIFY(html.contains(QStringLiteral("【2.2】整数控制参数")));
    QVERIFY(html.contains(QStringLiteral("版本 2.15")));
}

void HelpTest::Markers_UnknownNameIsReported()
{
    struct {
        const char* source;
        const char* unknown;
        const char* expanded;
    } rows[] = {
        {"a<!-- KQ:VERSION -->b", "", "a2.15b"},
        {"<!-- KQ:NOPE -->x<!-- KQ:VERSION -->", "NOPE", "<!-- KQ:NOPE -->x2.15"},
        {"<!-- KQ:VERSION", "", "<!-- KQ:VERSION"},
    };
    for (const auto& row : rows) {
        std::string unknown;
        QCOMPARE(QString::fromStdString(help::ExpandMarkers(row.source, unknown)), QString::fromUtf8(row.expanded));
        QCOMPARE(QString::fromStdString(unknown), QString::fromUtf8(row.unknown));
    }
}

QTEST_MAIN(HelpTest)
#include "Help_test.moc"
