// Report pages as drawing operations, for each report, on fixed rows.
#include "TextRows.h"
#include "reports/PageComposer.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportLayout.h"
#include "reports/TextMeasure.h"
#include "support/QtPrinters.h"
#include "controls/UiSetup.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

constexpr int CharWidth = 3;
constexpr double Pt = 25.4 / 72;   // millimetres per point

// How far a line of `font` moves down the page.
double line(const FontSpec& font)
{
    return TextMeasure::lineHeight(font);
}

// Every character is 1.5 mm wide, so positions that depend on a width are known exactly.
double fixedWidth(const QString& text, const FontSpec&)
{
    return 1.5 * text.size();
}

QStringList dailyRow(int day)
{
    return {QStringLiteral("2026/12/%1").arg(day), "1", "2", "3", "4", "5", "6", "21", QString::number(21 * day),
            "1", "0", "0", "0", "2"};
}

TextRows dailyRows(int count)
{
    QList<QStringList> rows;
    for (int day = 1; day <= count; ++day)
        rows += dailyRow(day);
    return TextRows(rows);
}

QList<DrawOp> rules(const ReportPage& page)
{
    QList<DrawOp> found;
    for (const DrawOp& op : page)
        if (op.kind == DrawOp::Kind::Rule)
            found += op;
    return found;
}

QList<DrawOp> textsAt(const ReportPage& page, const QString& text)
{
    QList<DrawOp> found;
    for (const DrawOp& op : page)
        if (op.kind == DrawOp::Kind::Text && op.text == text)
            found += op;
    return found;
}

DrawOp onlyText(const ReportPage& page, const QString& text)
{
    const QList<DrawOp> found = textsAt(page, text);
    EXPECT_EQ(found.size(), 1) << text.toStdString();
    return found.value(0);
}

// The operations of `after` that differ from `before`, which must draw as many.
QList<QPair<DrawOp, DrawOp>> changes(const ReportPage& before, const ReportPage& after)
{
    EXPECT_EQ(before.size(), after.size());
    QList<QPair<DrawOp, DrawOp>> changed;
    for (int i = 0; i < std::min(before.size(), after.size()); ++i) {
        const DrawOp& a = before[i];
        const DrawOp& b = after[i];
        EXPECT_EQ(a.text, b.text);
        EXPECT_DOUBLE_EQ(a.y, b.y);
        if (a.x != b.x || a.x2 != b.x2)
            changed += qMakePair(a, b);
    }
    return changed;
}

class PageComposerTest : public ::testing::Test {
protected:
    void SetUp() override { UiSetup::registerFontSubstitutes(); }

    ReportDefinition report = ReportDefinitions::feedbackStatistics();
    ReportLayout layout = ReportLayout::defaults(report, CharWidth);

    void use(const ReportDefinition& definition)
    {
        report = definition;
        layout = ReportLayout::defaults(report, CharWidth);
    }
    ReportPage compose(ReportRows& rows, int page, int perPage = 40, PageTarget target = PageTarget::Preview) const
    {
        PageRequest request;
        request.page = page;
        request.recordsPerPage = perPage;
        request.target = target;
        request.planNo = QStringLiteral("2026-03");
        request.planTitle = QStringLiteral("年终客户回访");
        return PageComposer(report, layout, fixedWidth).compose(rows, request);
    }
};

TEST_F(PageComposerTest, DailyTablePageOneHasTitleInformationLinesHeadingsAndFortyRows)
{
    TextRows rows = dailyRows(41);
    const ReportPage page = compose(rows, 1);

    const DrawOp title = page.first();
    EXPECT_EQ(title.text, QStringLiteral("反 馈 统 计 表"));
    EXPECT_DOUBLE_EQ(title.x, CharWidth + 115);
    EXPECT_DOUBLE_EQ(title.y, 10);
    EXPECT_EQ(title.font, (FontSpec{.name = "黑体", .size = 20, .bold = true}));

    const double numberY = 10 + line(layout.titleFont) + 10;
    const DrawOp number = onlyText(page, QStringLiteral("序号：2026-03"));
    EXPECT_DOUBLE_EQ(number.x, 15);
    EXPECT_DOUBLE_EQ(number.y, numberY);
    EXPECT_EQ(number.font, (FontSpec{.name = "黑体", .size = 12, .bold = true}));
    const DrawOp subject = onlyText(page, QStringLiteral("题目：年终客户回访"));
    EXPECT_DOUBLE_EQ(subject.x, 15);
    EXPECT_DOUBLE_EQ(subject.y, numberY + line(layout.numberFont));

    const double tableX = CharWidth + 10;
    const double top = numberY + line(layout.numberFont) + line(layout.subjectFont) + 5;
    const QList<DrawOp> ruled = rules(page);
    ASSERT_EQ(ruled.size(), 42);   // the top rule, one above each row, one under the last
    EXPECT_DOUBLE_EQ(ruled[0].y, top);
    for (const DrawOp& rule : ruled) {
        EXPECT_DOUBLE_EQ(rule.x, tableX);
        EXPECT_DOUBLE_EQ(rule.x2, tableX + 250);   // the right border
        EXPECT_DOUBLE_EQ(rule.y, rule.y2);
    }
    EXPECT_DOUBLE_EQ(ruled[1].y, top + line(layout.fieldFont));   // under the heading row
    EXPECT_NEAR(ruled[41].y - ruled[1].y, 40 * line(layout.contentFont), 1e-9);

    const DrawOp heading = onlyText(page, QStringLiteral("时间"));
    EXPECT_DOUBLE_EQ(heading.x, tableX + 1);
    EXPECT_DOUBLE_EQ(heading.y, top);
    EXPECT_EQ(heading.font, (FontSpec{.name = "黑体", .size = 10, .bold = true}));
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("电话数")).x, tableX + 22);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("反馈合计2")).x, tableX + 136);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("产品5计数")).x, tableX + 231);
    const QList<DrawOp> headingBars = textsAt(page, "|").mid(0, 15);
    EXPECT_DOUBLE_EQ(headingBars[0].x, tableX - 1);
    EXPECT_DOUBLE_EQ(headingBars[1].x, tableX + 20);
    EXPECT_DOUBLE_EQ(headingBars[13].x, tableX + 229);
    EXPECT_DOUBLE_EQ(headingBars[14].x, tableX + 249);

    const DrawOp firstCell = onlyText(page, QStringLiteral("2026/12/1"));
    EXPECT_DOUBLE_EQ(firstCell.x, tableX);   // cells of the first column stand on the table edge
    EXPECT_DOUBLE_EQ(firstCell.y, ruled[1].y);
    EXPECT_EQ(firstCell.font, (FontSpec{.name = "宋体", .size = 10}));
    EXPECT_EQ(textsAt(page, QStringLiteral("2026/12/40")).size(), 1);
    EXPECT_TRUE(textsAt(page, QStringLiteral("2026/12/41")).isEmpty());
    EXPECT_EQ(textsAt(page, "|").size(), 41 * 15);

    const DrawOp pageNumber = page.last();
    EXPECT_EQ(pageNumber.text, QStringLiteral(" 第 1 页"));
    EXPECT_DOUBLE_EQ(pageNumber.x, 297.0 / 2 - 1.5 * 6 / 2);   // centred in the preview
    EXPECT_NEAR(pageNumber.y, ruled[41].y + line(layout.contentFont), 1e-9);    // after one empty line
    EXPECT_EQ(pageNumber.font, layout.contentFont);
}

TEST_F(PageComposerTest, LastPageFillsUpWithEmptyRuledRowsAndPaperNumbersAt145)
{
    TextRows rows = dailyRows(41);
    const ReportPage page = compose(rows, 2, 40, PageTarget::Paper);
    EXPECT_EQ(rows.lastRead, 41);
    EXPECT_EQ(textsAt(page, QStringLiteral("2026/12/41")).size(), 1);
    EXPECT_TRUE(textsAt(page, QStringLiteral("2026/12/40")).isEmpty());

    const QList<DrawOp> ruled = rules(page);
    ASSERT_EQ(ruled.size(), 42);   // top, above the row, under it, under each of 39 empty rows
    for (int i = 2; i < ruled.size(); ++i)
        EXPECT_NEAR(ruled[i].y - ruled[i - 1].y, line(layout.contentFont), 1e-9);
    EXPECT_EQ(textsAt(page, "|").size(), 41 * 15);   // empty rows keep their separators

    const DrawOp pageNumber = page.last();
    EXPECT_EQ(pageNumber.text, QStringLiteral(" 第 2 页"));
    EXPECT_DOUBLE_EQ(pageNumber.x, 145);
}

TEST_F(PageComposerTest, WideningABoxMovesOnlyTheBoundaryToItsRight)
{
    TextRows rows = dailyRows(3);
    const ReportPage before = compose(rows, 1);
    layout.boxShift[5 - 1] = 3;   // 信函数方框
    const auto changed = changes(before, compose(rows, 1));
    ASSERT_FALSE(changed.isEmpty());
    for (const auto& [a, b] : changed) {
        EXPECT_EQ(a.kind, DrawOp::Kind::Text);
        EXPECT_DOUBLE_EQ(b.x - a.x, 3);
        // Only the separator before 面访人数 and the texts of that column move.
        EXPECT_TRUE(a.x == layout.tableX + 79 || a.x == layout.tableX + 81) << a.x;
    }
    EXPECT_DOUBLE_EQ(onlyText(compose(rows, 1), QStringLiteral("面访人数")).x, layout.tableX + 84);

    layout.boxShift[5 - 1] = -2;   // narrowing is the same move the other way
    EXPECT_DOUBLE_EQ(onlyText(compose(rows, 1), QStringLiteral("面访人数")).x, layout.tableX + 79);
}

TEST_F(PageComposerTest, TheRightShiftBoxMovesTheRightBorderAndEveryRule)
{
    struct Case {
        ReportDefinition report;
        int box;
        double moved;                 // the separator offset that moves, besides the border
    };
    const QList<Case> cases = {
        {ReportDefinitions::feedbackStatistics(), 14, -1000},   // only the border
        {ReportDefinitions::respondingClients(), 6, 232},      // 邮编 and the border
        {ReportDefinitions::campaignSummary(), 7, 224},        // 费用 and the border
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report.windowName.toStdString());
        use(c.report);
        TextRows rows(QList<QStringList>(2, QStringList(c.report.columns.size(), QStringLiteral("x"))));
        const ReportPage before = compose(rows, 1);
        layout.boxShift[c.box - 1] = 5;
        const ReportPage after = compose(rows, 1);
        for (const auto& [a, b] : changes(before, after)) {
            if (a.kind == DrawOp::Kind::Rule) {
                EXPECT_DOUBLE_EQ(b.x, a.x);
                EXPECT_DOUBLE_EQ(b.x2 - a.x2, 5);
                continue;
            }
            EXPECT_DOUBLE_EQ(b.x - a.x, 5);
            const double offset = a.x - layout.tableX;
            EXPECT_TRUE(offset == 249 || offset == c.moved || offset == c.moved + 2) << offset;
        }
        for (const DrawOp& rule : rules(after))
            EXPECT_DOUBLE_EQ(rule.x2, layout.tableX + 255);
        EXPECT_EQ(textsAt(after, "|").last().x, layout.tableX + 254);
    }
}

TEST_F(PageComposerTest, TheBoxBeforeTheRightBorderLeavesTheBorderAlone)
{
    TextRows rows = dailyRows(2);
    const ReportPage before = compose(rows, 1);
    layout.boxShift[13 - 1] = 4;   // 产品4计数方框
    for (const auto& [a, b] : changes(before, compose(rows, 1))) {
        EXPECT_EQ(a.kind, DrawOp::Kind::Text);
        EXPECT_TRUE(a.x == layout.tableX + 229 || a.x == layout.tableX + 231) << a.x;
    }

    // The last box of the address book and of the summary moves nothing on the page.
    for (const auto& [definition, box] : {std::pair{ReportDefinitions::respondingClients(), 7},
                                         std::pair{ReportDefinitions::campaignSummary(), 8}}) {
        use(definition);
        TextRows some(QList<QStringList>(2, QStringList(definition.columns.size(), QStringLiteral("x"))));
        const ReportPage unchanged = compose(some, 1);
        layout.boxShift[box - 1] = 6;
        EXPECT_TRUE(changes(unchanged, compose(some, 1)).isEmpty());
    }
}

TEST_F(PageComposerTest, TitleMovesByOneCharacterAndTheTableByOneMillimetre)
{
    TextRows rows = dailyRows(2);
    const ReportPage before = compose(rows, 1);
    layout.titleX += layout.charWidth;
    auto changed = changes(before, compose(rows, 1));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0].first.text, layout.reportTitle);
    EXPECT_DOUBLE_EQ(changed[0].second.x, CharWidth * 2 + 115);

    layout = ReportLayout::defaults(report, CharWidth);
    layout.tableX += 1;
    changed = changes(before, compose(rows, 1));
    for (const auto& [a, b] : changed) {
        EXPECT_DOUBLE_EQ(b.x - a.x, 1);
        if (a.kind == DrawOp::Kind::Rule)
            EXPECT_DOUBLE_EQ(b.x2 - a.x2, 1);
    }
    // Everything but the title, the information lines and the page number moved.
    EXPECT_EQ(changed.size(), before.size() - 4);

    layout = ReportLayout::defaults(report, CharWidth);
    layout.tableGap += 1;
    const ReportPage lower = compose(rows, 1);
    EXPECT_DOUBLE_EQ(rules(lower)[0].y - rules(before)[0].y, 1);
    EXPECT_DOUBLE_EQ(lower.first().y, before.first().y);
}

TEST_F(PageComposerTest, AnEmptyReportDrawsNothing)
{
    TextRows none;
    EXPECT_TRUE(compose(none, 1).isEmpty());
    EXPECT_TRUE(compose(none, 0).isEmpty());
}

TEST_F(PageComposerTest, AddressBookHasOnlyThePlanNumberLine)
{
    use(ReportDefinitions::respondingClients());
    TextRows rows({{"北京华信科技有限公司", "010-62345678", "", "hx@example.cn", "王经理", "北京市海淀区", "100080"}});
    const ReportPage page = compose(rows, 1);
    EXPECT_EQ(page.first().text, QStringLiteral("反 馈 客 户 通 信 录"));
    const DrawOp number = onlyText(page, QStringLiteral("序号：2026-03"));
    EXPECT_DOUBLE_EQ(number.x, 20);
    EXPECT_TRUE(textsAt(page, QStringLiteral("题目：年终客户回访")).isEmpty());
    EXPECT_DOUBLE_EQ(rules(page)[0].y, number.y + line(layout.numberFont) + 5);
    EXPECT_DOUBLE_EQ(layout.tableX, CharWidth + 15);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("客户名称")).x, layout.tableX + 1);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("邮编")).x, layout.tableX + 234);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("北京华信科技有限公司")).x, layout.tableX);
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("100080")).x, layout.tableX + 234);
}

TEST_F(PageComposerTest, SummaryHasNoInformationLinesAndTheTableFollowsTheTitle)
{
    use(ReportDefinitions::campaignSummary());
    TextRows rows({{"2026-01", "春季办公设备直邮", "300", "40", "一个月", "37", "12.3%", "12000"},
                   {"2026-02", "华北区电话营销", "0", "60", "两周", "5", "0", "8000"},
                   {"2026-03", "年终客户回访", "200", "30", "三周", "", "", "5000"}});
    const ReportPage page = compose(rows, 1);
    EXPECT_EQ(page.first().text, QStringLiteral("营 销 活 动 反 馈 统 计 总 表"));
    EXPECT_DOUBLE_EQ(page.first().y, 20);
    EXPECT_DOUBLE_EQ(rules(page)[0].y, 20 + line(layout.titleFont) + 10);
    for (const DrawOp& op : page)
        EXPECT_FALSE(op.text.startsWith(QStringLiteral("序号：")));
    // The rates print as stored; an empty one prints nothing between its separators.
    const double rateX = layout.tableX + 212;
    QStringList rates;
    for (const DrawOp& op : page)
        if (op.kind == DrawOp::Kind::Text && op.x == rateX && op.font == layout.contentFont)
            rates += op.text;
    EXPECT_EQ(rates, (QStringList{"12.3%", "0"}));
    EXPECT_DOUBLE_EQ(onlyText(page, QStringLiteral("规模（数量）")).x, layout.tableX + 100);
}

TEST(TextMeasureTest, LinesHoldTheFontsAscentAndDescentAndWidthsComeFromTheInstalledFont)
{
    UiSetup::registerFontSubstitutes();
    const FontSpec serif{.name = "宋体", .size = 72};
    QFont big = TextMeasure::qtFont(serif);
    big.setPixelSize(1000);
    const QFontMetricsF metrics(big);
    EXPECT_NEAR(TextMeasure::lineHeight(serif), (metrics.ascent() + metrics.descent()) / 1000 * 25.4 + 0.4, 0.01);
    EXPECT_NEAR(TextMeasure::baseline(serif), metrics.ascent() / 1000 * 25.4 + 0.2, 0.01);
    EXPECT_GT(TextMeasure::lineHeight(serif), 25.4 * 1.3);   // the CJK fonts reach well below the baseline
    const FontSpec font{.name = "Noto Sans CJK SC", .size = 20};
    const double one = TextMeasure::textWidth(QStringLiteral("宽"), font);
    EXPECT_NEAR(one, 20 * Pt, 0.5);   // an ideograph is one em wide
    EXPECT_NEAR(TextMeasure::textWidth(QStringLiteral("宽宽"), font), 2 * one, 1e-6);
}

} // namespace

namespace {

// A value too wide for its column is never cut silently: a smaller font holds a phone number
// a little too long; a value that even the smallest font cannot hold ends in "…".
TEST(PageComposerCellTest, AValueTooWidePrintsSmallerAndOnlyThenEndsInAnEllipsis)
{
    const ReportDefinition report = ReportDefinitions::respondingClients();
    const ReportLayout layout = ReportLayout::defaults(report, CharWidth);
    // 1.5 mm a character at the contents' size, less in a smaller font.
    auto scaled = [&layout](const QString& text, const FontSpec& font) {
        return 1.5 * text.size() * font.size / layout.contentFont.size;
    };
    const QString phone = QStringLiteral("0592-7574015400");   // 15 characters: 22.5 mm in 22 mm of room
    const QString mail = QStringLiteral("info10@example72.com.cn.very.long.address.example");
    TextRows rows({{"厦门海湾", phone, "", mail, "", "", ""}});
    PageRequest request;
    request.recordsPerPage = 1;
    const ReportPage page = PageComposer(report, layout, scaled).compose(rows, request);
    bool phoneWhole = false;
    bool mailMarked = false;
    for (const DrawOp& op : page) {
        if (op.text == phone) {
            phoneWhole = true;
            EXPECT_LT(op.font.size, layout.contentFont.size);
        }
        if (op.text.startsWith(QStringLiteral("info10@"))) {
            mailMarked = op.text.endsWith(QStringLiteral("…"));
            EXPECT_LE(op.x + scaled(op.text, op.font), layout.tableX + 152);
        }
    }
    EXPECT_TRUE(phoneWhole);
    EXPECT_TRUE(mailMarked);
}

} // namespace

namespace {

TEST(ReportProductNamesTest, TheProductColumnsAreHeadedByTheMappedNames)
{
    const ReportDefinition report =
        ReportDefinitions::withProductNames(ReportDefinitions::feedbackStatistics(), {"打印机", "", "扫描仪", "", ""});
    QStringList headings;
    for (const ReportColumn& column : report.columns)
        if (column.field.startsWith(QStringLiteral("产品")))
            headings.append(column.heading);
    EXPECT_EQ(headings, QStringList({"打印机计数", "产品2计数", "扫描仪计数", "产品4计数", "产品5计数"}));
}

} // namespace

namespace {

// The address book's phone, fax and e-mail columns open as wide as the longest value printed
// needs; the columns to their right move along, the table staying on the page.
TEST(ReportLayoutWidthsTest, PhoneFaxAndEmailColumnsHoldTheirLongestValues)
{
    const ReportDefinition report = ReportDefinitions::respondingClients();
    ReportLayout layout = ReportLayout::defaults(report, CharWidth);
    const QString phone = QStringLiteral("0592-7574015400");                 // 22.5 mm in 21.9 mm of room
    const QString mail = QStringLiteral("info10@example72.com.cn.example");   // 46.5 mm in 39.9 mm
    const QList<QStringList> printed = {{"厦门海湾", phone, "", mail, "", "", ""}, {"北京", "010-1", "", "", "", "", ""}};
    const double pageRight = 287;
    layout.holdWidestValues(report, printed, {"电话1", "传真", "Email"}, pageRight, &fixedWidth);

    TextRows rows({printed[0]});
    PageRequest request;
    request.recordsPerPage = 1;
    const ReportPage page = PageComposer(report, layout, &fixedWidth).compose(rows, request);
    int whole = 0;
    for (const DrawOp& op : page)
        if ((op.text == phone || op.text == mail) && op.font.size == layout.contentFont.size && op.clipRight == 0)
            ++whole;
    EXPECT_EQ(whole, 2);   // both whole, at the contents' size
    EXPECT_LE(layout.tableRight(report), pageRight);
    EXPECT_EQ(layout.shift(3) - layout.shift(2), 0);   // the fax column keeps its width
}

} // namespace
