#include "platform/desktop/DesktopEntryExec.h"

#include "DesktopEntryExecCheck.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace gaugelet;

// Values as they stand in a file: first the string escapes, then the quoting.
TEST(DesktopEntryExec, ReadsArgumentsAndRefusesWhatReadsMoreThanOneWay)
{
    using Kind = DesktopEntryExec::ParseError::Kind;
    const struct {
        QString raw;
        QStringList arguments;
        std::optional<Kind> error = std::nullopt;
        qsizetype position = 0;
    } cases[] = {
        {R"("/opt/a b/gaugelet" --at-login)", {"/opt/a b/gaugelet", "--at-login"}},
        {R"(  a\\ b "c"d "" "50%%" x\s"\\\\\\"" )", {"a b", "cd", "", "50%", "x", "\\\""}},
        {R"("/usr/bin/gaugelet)", {}, Kind::unterminatedQuote, 0},
        {R"(/usr/bin/gaugelet "--x)", {}, Kind::unterminatedQuote, 18},
        {R"("/usr/bin/gaugelet\\")", {}, Kind::unterminatedQuote, 0},
        {R"(/usr/bin/gaugelet \)", {}, Kind::trailingBackslash, 18},
        {R"(/usr/bin/gaugelet \\)", {}, Kind::trailingBackslash, 18},
        {R"("/usr/bin/gau\\gelet")", {}, Kind::badEscape, 13},
        {R"("a\b")", {}, Kind::badEscape, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        const auto arguments = DesktopEntryExec::arguments(DesktopEntryExec::unescapeValue(c.raw));
        ASSERT_EQ(arguments.hasValue(), !c.error);
        if (arguments) {
            EXPECT_EQ(*arguments, c.arguments);
        } else {
            EXPECT_EQ(arguments.error().kind, *c.error);
            EXPECT_EQ(arguments.error().position, c.position);
        }
    }
}

TEST(DesktopEntryExec, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz-exec")))
        EXPECT_EQ(fuzz::checkDesktopEntryExec(bytes), QString()) << name.toStdString();
}
