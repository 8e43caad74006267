#include <gtest/gtest.h>

#include <string>

#include "export/SnapshotDocument.h"
#include "platform/DriverText.h"

// The driver's names reach the files as they are: every byte that JSON does not allow bare is
// escaped, and nothing else changes.
TEST(SnapshotDocument, JsonStringsEscapeWhatJsonForbids) {
    struct Case {
        std::string text, json;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"Interface A", "\"Interface A\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\dir", "\"C:\\\\dir\""},
        {"a\nb\rc\td", "\"a\\nb\\rc\\td\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x01\x1F\x7F", "\"\\u0001\\u001F\\u007F\""},
        {"Stud\xC3\xADo \xE2\x82\xAC", "\"Stud\xC3\xADo \xE2\x82\xAC\""},  // UTF-8 stays as it is
    };
    for (const Case& c : cases) EXPECT_EQ(SnapshotDocument::JsonString(c.text), c.json) << c.text;
}

// A spreadsheet reads every field back as it was, and never runs a driver's text as a formula.
TEST(SnapshotDocument, CsvFieldsAreQuotedWhereTheyMustBeAndNeverFormulas) {
    struct Case {
        std::string text, csv;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {" leading blank", "\" leading blank\""},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "'+1"},
        {"-cmd", "'-cmd"},
        {"@sum", "'@sum"},
        {"n/a", "n/a"},
    };
    for (const Case& c : cases) EXPECT_EQ(SnapshotDocument::CsvField(c.text), c.csv) << c.text;
}

#ifndef _WIN32
// Names decode to UTF-8 as the panel shows them: what is no text becomes U+FFFD, the rest,
// characters beyond the 16-bit range included, comes through whole.
TEST(SnapshotDocument, DriverTextsBecomeValidUtf8) {
    EXPECT_EQ(DriverText::ToUtf8("Live Room"), "Live Room");
    EXPECT_EQ(DriverText::ToUtf8("\xFF"), "\xEF\xBF\xBD");
    EXPECT_EQ(DriverText::ToUtf8("a\xC3"), "a\xEF\xBF\xBD");
    EXPECT_EQ(DriverText::ToUtf8("\xF0\x9F\x8E\xB5 note"), "\xF0\x9F\x8E\xB5 note");
    EXPECT_EQ(DriverText::ToUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate's bytes
}
#endif
