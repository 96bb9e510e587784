// Our regular expressions against GNU grep -E. tests/lib/data/regex-cases.txt holds a few
// thousand random patterns, each with lines and whether grep -E (LC_ALL=C) finds a match in
// them, and patterns grep takes but our engine refuses on purpose: "*" or "+" after an
// operand that can match the empty string. The file is written natively by a script with a
// fixed seed; after changing the script, regenerate it with
//     python3 scripts/regex-cases.py
// The script's opening comment describes the syntax it generates and the file's format.
#include <stdio.h>

#include <string>
#include <vector>

#include "lib/Regex.h"
#include "support/TestSupport.h"

namespace {

const char *const kEmptyOperand = "Operand of +? could be empty";
const size_t kShownDifferences = 20;

// Reverses the file's %HH escapes (capital hexadecimal digits); false on a broken escape.
bool Unescape(const std::string &field, std::string *out) {
    out->clear();
    for (size_t i = 0; i < field.size(); i++) {
        if (field[i] != '%') {
            *out += field[i];
            continue;
        }
        std::string hex = field.substr(i + 1, 2);
        if (hex.size() != 2 || hex.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            return false;
        *out += static_cast<char>(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    return true;
}

std::string Escape(const std::string &bytes) {
    std::string out;
    char hex[4];
    for (unsigned char b : bytes) {
        snprintf(hex, sizeof hex, "%%%02X", b);
        out += b > 0x20 && b < 0x7F && b != '%' ? std::string(1, static_cast<char>(b)) : hex;
    }
    return out;
}

std::vector<std::string> Split(const std::string &record) {
    std::vector<std::string> fields(1);
    for (char c : record) {
        if (c == ' ')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

class RegexDiffTest : public KeltoTest {
protected:
    std::vector<std::string> differences;
    std::vector<std::string> gaveUp;   // lines on which the matcher stopped early
    int patterns = 0, lines = 0, matching = 0, refusals = 0, overruns = 0;

    void Differ(const std::string &pattern, const std::string &what) {
        differences.push_back("pattern \"" + Escape(pattern) + "\": " + what);
    }

    void Compare(const std::string &pattern, const std::vector<std::string> &fields) {
        patterns++;
        const char *error = nullptr;
        Regex *re = Compile(pattern.c_str(), nullptr, &error);
        if (!re) {
            Differ(pattern, "refused (" + std::string(error ? error : "") + "), grep accepts it");
            return;
        }
        std::string line;
        for (size_t i = 2; i < fields.size(); i++) {
            const std::string &field = fields[i];
            bool expected = !field.empty() && field[0] == '+';
            if (field.empty() || (!expected && field[0] != '-') ||
                !Unescape(field.substr(1), &line)) {
                Differ(pattern, "unreadable line field \"" + field + "\"");
                break;
            }
            bool got = Execute(re, line.c_str());
            if (re->overrun) {
                // Nested repetitions can backtrack past the matcher's budget even on short
                // lines; it then gives up with no match, as it should. Not compared.
                if (++overruns <= 3)
                    gaveUp.push_back("\"" + Escape(pattern) + "\" on \"" + Escape(line) + "\"");
                continue;
            }
            lines++;
            matching += expected;
            if (got != expected)
                Differ(pattern, "line \"" + Escape(line) + "\": grep " +
                                    (expected ? "matches" : "does not match") + ", we " +
                                    (got ? "match" : "do not match"));
        }
        if (re->broken)
            Differ(pattern, "the program was found damaged while matching");
        ReleaseRegex(re);
    }

    void ExpectRefusal(const std::string &pattern) {
        refusals++;
        const char *error = nullptr;
        Regex *re = Compile(pattern.c_str(), nullptr, &error);
        if (re || !error || std::string(error) != kEmptyOperand)
            Differ(pattern, std::string(re ? "accepted" : "refused") + " (" + (error ? error : "") +
                                "), expected \"" + kEmptyOperand + "\"");
        ReleaseRegex(re);
    }
};

TEST_F(RegexDiffTest, MatchesLikeGrepOnRandomPatterns) {
    std::string path = SourcePath("tests/lib/data/regex-cases.txt");
    std::string data = ReadWholeFile(path);
    ASSERT_NE("<missing>", data) << path;

    size_t from = 0;
    for (size_t end; from < data.size(); from = end + 1) {
        end = data.find('\n', from);
        if (end == std::string::npos)
            end = data.size();
        std::string record = data.substr(from, end - from);
        if (record.empty() || record[0] == '#')
            continue;
        std::vector<std::string> fields = Split(record);
        std::string pattern;
        if (fields.size() < 2 || (fields[0] != "=" && fields[0] != "!") ||
            !Unescape(fields[1], &pattern)) {
            ADD_FAILURE() << "unreadable record: " << record;
            break;
        }
        if (fields[0] == "=")
            Compare(pattern, fields);
        else
            ExpectRefusal(pattern);
    }

    printf("[ RegexDiff] %d patterns, %d lines compared with grep -E (%d matching); %d refusals "
           "checked; %d lines not compared: the matcher gave up\n",
           patterns, lines, matching, refusals, overruns);
    for (const std::string &overrun : gaveUp)
        printf("[ RegexDiff] gave up: %s\n", overrun.c_str());
    EXPECT_GT(patterns, 1000);
    EXPECT_GT(refusals, 0);
    EXPECT_LE(overruns, (lines + overruns) / 1000) << "the matcher gives up too often";
    for (size_t i = 0; i < differences.size() && i < kShownDifferences; i++)
        ADD_FAILURE() << differences[i];
    EXPECT_EQ(0u, differences.size()) << "differences from grep -E (the first "
                                      << kShownDifferences << " are listed above)";
}

} // namespace
