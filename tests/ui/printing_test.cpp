// Printing into PDFs that stand in for the printer, read back as text the moment the print
// returns, as a user would look for the pages right after being told they were printed.
#include "ui/printing.h"

#include "ui/cp1252.h"
#include "core/mdlText.h"

#include <QDir>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ranges>

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

// Every page carries the caption and "page N of M"; wide lines wrap and a word wider than the
// page breaks, so nothing is cut at the margin.
TEST_F(Printing, EachPrintIsWholeInItsPdfWithFootersAndWrappedLinesOrAnError)
{
    const struct { const char* name; PrintFunction print; std::string text; int pages; } rows[] = {
        {"more lines than a page", quickPrint, numbered("line ", 0, 300, "\r\n"), 0},
        {"long words wrap in a quick print", quickPrint, longWords, 1},
        {"long words wrap in a fixed-font print", fixedFontPrint, longWords, 1},
        {"a word wider than the page breaks", quickPrint, longToken, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto printed = row.print(fromCp1252(row.text), "Printing caption");
        ASSERT_TRUE(printed) << printed.error().description;
        EXPECT_EQ(printed->pdfPath, fromPath(pdf));
        const std::string text = test::pdfText(pdf);
        const int pages = static_cast<int>(std::ranges::count(text, '\f'));
        EXPECT_TRUE(row.pages ? pages == row.pages : pages > 1) << pages;
        EXPECT_EQ(std::ranges::distance(std::views::split(text, std::string_view("Printing caption"))) - 1, pages);
        for (int page = 1; page <= pages; ++page)
            EXPECT_NE(text.find("page " + std::to_string(page) + " of " + std::to_string(pages)), std::string::npos) << text;
        // Every line in order and whole (joined back where it wrapped); a one-line text wraps.
        const auto squeezed = [](std::string_view from) {
            std::string out(from);
            std::erase_if(out, [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
            return out;
        };
        const std::string all = squeezed(text);
        std::size_t at = 0;
        for (std::string_view line : splitLines(row.text))
            ASSERT_NE(at = all.find(squeezed(line), at), std::string::npos) << line << " in:\n" << text;
        const std::size_t firstLineEnd = text.find('\n', text.find(row.text.substr(0, 6)));
        EXPECT_TRUE(row.pages != 1 || firstLineEnd < text.rfind(row.text.substr(row.text.size() - 7, 6))) << text;
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
