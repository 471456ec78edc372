// Printing into PDFs that stand in for the printer, read back as text the moment the print
// returns, as a user would look for the pages right after being told they were printed.
#include "shell/printing.h"

#include "shell/cp1252.h"

#include <QDir>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "support/recorder.h"
#include "support/toolWindow.h"

namespace qb {
namespace {

using PrintFunction = Result<Printout> (*)(const QString&, const QString&);

// `count` numbered words or lines, each followed by `after`.
std::string numbered(const char* word, int from, int to, const char* after)
{
    std::string text;
    for (int i = from; i < to; ++i)
        text += word + std::to_string(i) + after;
    return text;
}

// Sixty words and a 300-letter word: far wider than a page.
const std::string longWords = numbered("word", 10, 70, " ");
const std::string longToken = numbered("abcdefghi", 0, 30, "");

class Printing : public ::testing::Test {
protected:
    void SetUp() override { setPrintToPdf(fromPath(pdf)); }
    void TearDown() override { setPrintToPdf({}); }
    test::TempDir temp;
    std::filesystem::path pdf = temp / "out.pdf";
};

TEST_F(Printing, EachPrintIsWholeInItsPdfWithFootersAndWrappedLinesOrAnError)
{
    struct Row {
        const char* name;
        PrintFunction print;
        std::string text;
        std::vector<std::string> inOrder;  // each after the one before it
        bool severalPages = false;
    };
    const Row rows[] = {
        {"quick print, two lines", quickPrint, "first quick print\r\nsecond line", {"first quick print", "second line"}},
        {"more lines than a page", quickPrint, numbered("line ", 0, 300, "\r\n"), {"line 0", "line 150", "line 299"}, true},
        {"long words wrap in a quick print", quickPrint, longWords, {"word10", "word69"}},
        {"long words wrap in a fixed-font print", fixedFontPrint, longWords, {"word10", "word69"}},
        {"a word wider than the page breaks", quickPrint, longToken, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto printed = row.print(fromCp1252(row.text), "Printing caption");
        ASSERT_TRUE(printed) << printed.error().description;
        EXPECT_EQ(printed->pdfPath, fromPath(pdf));
        const std::string text = test::pdfText(pdf);

        std::size_t at = 0;
        for (const std::string& piece : row.inOrder) {
            at = text.find(piece, at);
            ASSERT_NE(at, std::string::npos) << piece << " missing or out of order in:\n" << text;
        }
        // Every page's footer: the caption, and "page N of M" with M the number of pages.
        std::smatch first;
        ASSERT_TRUE(std::regex_search(text, first, std::regex("page 1 of ([0-9]+)"))) << text;
        const int pages = std::stoi(first[1]);
        EXPECT_EQ(pages, std::ranges::count(text, '\f'));
        EXPECT_EQ(pages > 1, row.severalPages) << pages;
        for (int page = 1; page <= pages; ++page)
            EXPECT_NE(text.find("page " + std::to_string(page) + " of " + std::to_string(pages)), std::string::npos)
                << "footer of page " << page << " in:\n" << text;
        EXPECT_EQ(text.find("page " + std::to_string(pages + 1)), std::string::npos) << text;
        EXPECT_NE(text.find("Printing caption"), std::string::npos) << text;
        // Nothing is cut at the margin: every word is there, and the wide ones take several lines.
        if (row.text == longWords) {
            for (int i = 10; i < 70; ++i)
                EXPECT_NE(text.find("word" + std::to_string(i)), std::string::npos) << i;
            EXPECT_NE(text.find('\n', text.find("word10")), text.find('\n', text.find("word69"))) << text;
        }
        if (row.text == longToken) {
            std::string joined = text;
            std::erase(joined, '\n');
            EXPECT_NE(joined.find(longToken), std::string::npos) << text;
            EXPECT_EQ(text.find(longToken), std::string::npos) << "expected the word on several lines:\n" << text;
        }
    }
    // A document that cannot be written is an error that names its place.
    setPrintToPdf(fromPath(temp / "missing-folder" / "out.pdf"));
    for (PrintFunction print : {quickPrint, fixedFontPrint}) {
        const auto printed = print("text", "Caption");
        ASSERT_FALSE(printed);
        EXPECT_EQ(printed.error().number, err::DeviceIO);
        EXPECT_NE(printed.error().description.find("missing-folder"), std::string::npos);
    }
}

// Without a printer each document gets a new file in the program's folder, even two in one
// second, and the message after printing names it.
TEST_F(Printing, WithoutAPrinterEachDocumentIsANewPdfInTheProgramFolder)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    const test::ProgramFolderOverride program(temp.path());
    setPrintToPdf({});
    EXPECT_EQ(printDestination(), "PDF files in " + QDir::toNativeSeparators(fromPath(temp.path())));

    const auto first = quickPrint("first document", "Caption");
    const auto second = fixedFontPrint("second document", "Caption");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->pdfPath, second->pdfPath);
    for (const auto& [printout, text] : {std::pair{*first, "first document"}, std::pair{*second, "second document"}}) {
        const std::filesystem::path file = toPath(printout.pdfPath);
        EXPECT_EQ(file.parent_path(), temp.path());
        EXPECT_TRUE(file.filename().string().starts_with("Quillbox printout ")) << file;
        EXPECT_NE(test::pdfText(file).find(text), std::string::npos) << file;
        EXPECT_EQ(withPrintout("Printin', yo", printout), "Printin', yo\r\nPrinted to " + printout.pdfPath);
    }
    EXPECT_EQ(withPrintout("Printin', yo", Printout{}), "Printin', yo") << "nothing added for a printer";
}

}  // namespace
}  // namespace qb
