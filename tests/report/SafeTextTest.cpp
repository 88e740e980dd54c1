#include "report/SafeText.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace parvex {
namespace {

struct Row {
    const char* what;
    std::string in;
    std::string shown;
};

TEST(SafeText, EscapesWhatATerminalWouldActOnAndNothingElse) {
    const std::vector<Row> rows{
        {"plain ASCII stays", "QPVXJ00.SRL", "QPVXJ00.SRL"},
        {"Japanese stays", "矛盾点はありません。", "矛盾点はありません。"},
        {"half-width kana stays", "ﾌﾟﾛｸﾞﾗﾑ", "ﾌﾟﾛｸﾞﾗﾑ"},
        {"a four-byte character stays", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"backslash stays", "C:\\ROM", "C:\\ROM"},
        {"line feed", "a\nb", "a\\nb"},
        {"carriage return", "a\rb", "a\\rb"},
        {"tab", "a\tb", "a\\tb"},
        {"escape", "\x1b[2J", "\\x1B[2J"},
        {"NUL", std::string("a\0b", 3), "a\\x00b"},
        {"DEL", "\x7f", "\\x7F"},
        {"C1 CSI as a character", "\xC2\x9B", "\\u009B"},
        {"C1 NEL", "\xC2\x85", "\\u0085"},
        {"last C1", "\xC2\x9F", "\\u009F"},
        {"first after C1 stays", "\xC2\xA0", "\xC2\xA0"},
        {"LRE", "\xE2\x80\xAA", "\\u202A"},
        {"RLO", "\xE2\x80\xAE", "\\u202E"},
        {"LRI", "\xE2\x81\xA6", "\\u2066"},
        {"PDI", "\xE2\x81\xA9", "\\u2069"},
        {"line separator", "\xE2\x80\xA8", "\\u2028"},
        {"zero-width joiner stays", "\xE2\x80\x8D", "\xE2\x80\x8D"},
        {"U+206A stays", "\xE2\x81\xAA", "\xE2\x81\xAA"},
        {"a lone C1 byte",
         "a\x9b"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"overlong slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong three-byte", "\xE0\x80\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut short at the end", "a\xE3\x81", "a\xEF\xBF\xBD"},
        {"cut short by a control", "\xE3\x1b", "\xEF\xBF\xBD\\x1B"},
        {"FF FE", "\xFF\xFE", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Row& r : rows) EXPECT_EQ(safeText(r.in), r.shown) << r.what;
}

TEST(SafeText, EveryByteValueAloneComesOutPrintable) {
    for (int b = 0; b < 256; ++b) {
        const std::string out = safeText(std::string(1, static_cast<char>(b)));
        for (const char ch : out) {
            const auto c = static_cast<unsigned char>(ch);
            EXPECT_TRUE(c >= 0x20 && c != 0x7F) << b;
        }
    }
}

TEST(XmlText, EscapesMarkupAndDropsWhatXmlForbids) {
    const std::vector<Row> rows{
        {"markup", "<a href=\"x\">&'</a>", "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;"},
        {"line ends and tabs as references", "a\nb\r\tc", "a&#10;b&#13;&#9;c"},
        {"controls dropped",
         "a\x01\x1b"
         "b",
         "ab"},
        {"C1 kept: XML allows it", "\xC2\x85", "\xC2\x85"},
        {"invalid UTF-8 replaced", "\xFF", "\xEF\xBF\xBD"},
        {"Japanese stays", "エラー", "エラー"},
        {"U+FFFE dropped",
         "a\xEF\xBF\xBE"
         "b",
         "ab"},
    };
    for (const Row& r : rows) EXPECT_EQ(xmlText(r.in), r.shown) << r.what;
}

}  // namespace
}  // namespace parvex
