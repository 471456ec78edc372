// Printing into a PDF that stands in for the printer, read back as text.
#include "shell/printing.h"

#include <QProcess>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

std::string pdfText(const std::filesystem::path& pdf)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {QString::fromStdString(pdf.string()), "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return "<pdftotext failed: " + pdftotext.readAllStandardError().toStdString() + ">";
    return pdftotext.readAllStandardOutput().toStdString();
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override { setPrintToPdf(QString::fromStdString(pdf.string())); }
    void TearDown() override
    {
        (void)endPrintDocument();
        setPrintToPdf({});
    }
    test::TempDir temp;
    std::filesystem::path pdf = temp / "out.pdf";
};

TEST_F(Printing, QuickPrintsShareOneDocumentThatAFixedFontPrintEnds)
{
    ASSERT_TRUE(quickPrint("first quick print\r\nsecond line"));
    ASSERT_TRUE(quickPrint("another quick print"));
    ASSERT_TRUE(fixedFontPrint("fixed font text"));
    const std::string text = pdfText(pdf);
    std::size_t at = 0;  // each piece after the one before it
    for (const char* piece : {"first quick print", "second line", "another quick print", "fixed font text"}) {
        at = text.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece << " missing or out of order in:\n" << text;
    }
}

TEST_F(Printing, LongTextBreaksIntoPages)
{
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(quickPrint(QString::fromStdString(lines)));
    ASSERT_TRUE(endPrintDocument());
    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find("line 0"), std::string::npos);
    EXPECT_NE(text.find("line 299"), std::string::npos);
    EXPECT_NE(text.find('\f'), std::string::npos) << "expected more than one page";
}

TEST_F(Printing, UnwritableDocumentIsAnError)
{
    setPrintToPdf(QString::fromStdString((temp / "missing-folder" / "out.pdf").string()));
    const auto printed = fixedFontPrint("text");
    ASSERT_FALSE(printed);
    EXPECT_EQ(printed.error().number, err::DeviceIO);
}

}  // namespace
}  // namespace qb
