#include "tools/text/carpalTunnel.h"

#include "shell/fs.h"
#include "shell/mdlText.h"
#include "tools/text/integer16.h"

#include <limits>

namespace qb {

namespace {

// Replaces every `placeholder` byte of `text` by `replacement`, left to right.
std::string replaceAll(std::string_view text, char placeholder, std::string_view replacement)
{
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at = text.find(placeholder); at != std::string_view::npos;
         at = text.find(placeholder, start)) {
        result.append(text, start, at - start);
        result.append(replacement);
        start = at + 1;
    }
    result.append(text, start);
    return result;
}

RepeatResult failed(RepeatResult result, Error error)
{
    result.outcome = RepeatOutcome::Failed;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string defaultChunk()
{
    return "      <LAYER type=\"image\" name=\"\xA2\" visible=\"true\" id=\"\xED\" maxscale=\"1:3500000\">\r\n"
           "\t<DATASET name=\"\xA2\" type=\"image\" workspace=\"vex_ws-5\" />\r\n"
           "\t<IMAGEPROPERTIES transparency=\"0.5\" />\r\n"
           "      </LAYER>\r\n";
}

Result<std::int16_t> counterStart(std::string_view text)
{
    const auto value = parseInteger16(text);
    if (!value && value.error().number == err::TypeMismatch)
        return std::int16_t{0};
    return value;
}

std::string expandChunk(std::string_view chunk, std::string_view line,
                        const std::optional<std::string_view>& nextLine, std::int16_t counter)
{
    std::string result = replaceAll(chunk, linePlaceholder, line);
    if (nextLine)
        result = replaceAll(result, nextLinePlaceholder, *nextLine);
    return replaceAll(result, counterPlaceholder, std::to_string(counter));
}

RepeatResult repeatChunk(const RepeatRequest& request)
{
    RepeatResult result;
    FileSystemObject fso;
    if (!fso.FileExists(request.inFile)) {
        result.outcome = RepeatOutcome::MissingInput;
        return result;
    }
    // Creating the output empties it before the input is read: one file in both roles would
    // be destroyed.
    if (fso.sameFile(request.inFile, request.outFile)) {
        result.outcome = RepeatOutcome::SameFile;
        return result;
    }
    auto in = fso.OpenTextFile(request.inFile, IOMode::ForReading, false, TextFormat::SystemDefault);
    if (!in)
        return failed(std::move(result), in.error());
    auto out = fso.CreateTextFile(request.outFile, true, false);
    if (!out)
        return failed(std::move(result), out.error());

    // Both streams are closed however the run ends; the first error is the one reported.
    const auto finish = [&](std::optional<Error> error) {
        (void)in->Close();
        if (auto closed = out->Close(); !closed && !error)
            error = closed.error();
        if (error)
            return failed(std::move(result), std::move(*error));
        return std::move(result);
    };

    const auto start = counterStart(request.countStart);
    if (!start)
        return finish(start.error());
    std::int16_t counter = *start;
    std::string line;
    std::string nextLine;
    while (true) {
        // Reading (rather than asking for the end first) also reports a pending read error.
        auto read = in->readLine(line);
        if (!read)
            return finish(read.error());
        if (!*read)
            break;
        std::optional<std::string_view> second;
        if (request.doubleUp) {
            // An odd number of lines ends here with the stream's past-the-end error.
            auto next = in->ReadLine();
            if (!next)
                return finish(next.error());
            nextLine = std::move(*next);
            second = nextLine;
        }
        const std::string piece = expandChunk(request.chunk, line, second, counter);
        if (auto written = out->Write(piece); !written)
            return finish(written.error());
        result.shown += piece;
        result.shown += crlf;
        if (counter == std::numeric_limits<std::int16_t>::max())
            return finish(overflowError());
        ++counter;
    }
    return finish(std::nullopt);
}

std::string repeatErrorMessage(const Error& error)
{
    return "Error detected -- did you double up with an in.txt with an odd number of lines?\r\n" +
           formatError(error);
}

Result<std::optional<std::string>> loadChunk(const std::filesystem::path& store)
{
    FileSystemObject fso;
    if (!fso.FileExists(store))
        return std::optional<std::string>{};
    const auto bytes = fso.readFileBytes(store);
    if (!bytes)
        return std::unexpected(bytes.error());
    // Every line comes back ending in CR LF; the one the save added after the chunk is dropped.
    std::string chunk;
    chunk.reserve(bytes->size());
    for (const std::string_view line : splitLines(*bytes)) {
        chunk += line;
        chunk += crlf;
    }
    if (chunk.ends_with(crlf))
        chunk.resize(chunk.size() - crlf.size());
    return std::optional<std::string>{std::move(chunk)};
}

Result<void> saveChunk(const std::filesystem::path& store, std::string_view chunk)
{
    std::string bytes(chunk);
    bytes += crlf;
    return FileSystemObject().replaceFileContents(store, bytes);
}

Result<void> ensureFileExists(const std::filesystem::path& path)
{
    FileSystemObject fso;
    if (fso.FileExists(path))
        return {};
    auto created = fso.CreateTextFile(path, true, false);
    if (!created)
        return std::unexpected(created.error());
    return created->Close();
}

const std::vector<std::string>& plainEditorCandidates()
{
#ifdef _WIN32
    static const std::vector<std::string> editors{"notepad"};
#else
    static const std::vector<std::string> editors{"gedit", "gnome-text-editor", "kate", "mousepad", "xed",
                                                  "xdg-open"};
#endif
    return editors;
}

}  // namespace qb
