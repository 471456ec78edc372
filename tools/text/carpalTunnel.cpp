#include "tools/text/carpalTunnel.h"

#include "core/fs.h"
#include "core/mdlText.h"
#include "tools/text/integer16.h"

#include <cstring>
#include <limits>

namespace qb {

namespace {

// What fills the placeholders of one repetition.
struct Filling {
    std::string_view line;
    std::optional<std::string_view> nextLine;
    std::string_view counter;
};

// Hands `text` to `put` with its placeholders filled, as three passes over the whole repetition
// would (line, then next line, then counter, each pass also filling what the one before put in),
// but in one pass and without building the repetition: `level` says which placeholders are still
// live in `text` (0 the chunk: all three; 1 the line: next line and counter; 2 the next line:
// counter only). So a repetition of a very long line costs no memory beyond the line.
template <class Put>
Result<void> putFilled(std::string_view text, int level, const Filling& filling, Put& put)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool line = level == 0 && c == linePlaceholder;
        const bool next = level <= 1 && filling.nextLine && c == nextLinePlaceholder;
        if (!line && !next && c != counterPlaceholder)
            continue;
        Result<void> done = put(text.substr(start, i - start));
        if (done && line)
            done = putFilled(filling.line, 1, filling, put);
        else if (done && next)
            done = putFilled(*filling.nextLine, 2, filling, put);
        else if (done)
            done = put(filling.counter);
        if (!done)
            return done;
        start = i + 1;
    }
    return put(text.substr(start));
}

// The text of the result box: `made` (the output's bytes) cut after its last whole repetition
// (ending at `ends`), each repetition followed by CR LF. The CR LFs go in where the bytes lie, so
// the text costs no more than its own length.
std::string shownFrom(std::string made, std::vector<std::uint64_t> ends)
{
    while (!ends.empty() && ends.back() > made.size())
        ends.pop_back();
    made.resize(ends.empty() ? 0 : ends.back());
    std::size_t to = made.size() + 2 * ends.size();
    made.resize(to);
    for (std::size_t j = ends.size(); j-- > 0;) {
        const std::size_t begin = j == 0 ? 0 : ends[j - 1], size = ends[j] - begin;
        to -= 2;
        made[to] = '\r';
        made[to + 1] = '\n';
        to -= size;
        std::memmove(made.data() + to, made.data() + begin, size);
    }
    return made;
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

namespace {

// The output side of a run: how many bytes reached the file, and where each whole repetition
// ends in it.
struct RepeatOutput {
    TextStream& stream;
    std::vector<std::uint64_t> ends;
    std::uint64_t written = 0;
    bool writeFailed = false;
    bool stopped = false;  // a stop request ended the run: nothing is published

    Result<void> operator()(std::string_view bytes)
    {
        auto done = stream.Write(bytes);
        if (done)
            written += bytes.size();
        else
            writeFailed = true;
        return done;
    }

    // Publishes the output when every write succeeded; after a failed write the file stays as it
    // was. `shown` gets the whole repetitions made, read back from the output before it is closed
    // (when `show`), so the box holds exactly what was made. The first error met, if any.
    std::optional<Error> close(bool show, std::string& shown)
    {
        std::optional<Error> error;
        if (!writeFailed)
            if (auto flushed = stream.Flush(); !flushed) {
                writeFailed = true;
                error = flushed.error();
            }
        if (show && !ends.empty()) {
            std::string made;
            made.reserve(ends.back() + 2 * ends.size());
            if (auto read = stream.readBack(ends.back(), made); !read)
                error = error.value_or(read.error());
            shown = shownFrom(std::move(made), std::move(ends));
        }
        if (writeFailed || stopped) {
            stream.Discard();
            return error;
        }
        published = true;
        if (auto closed = stream.Close(); !closed) {
            published = false;
            return error.value_or(closed.error());
        }
        return error;
    }
    bool published = false;
};

// Expands the chunk once per line (or pair of lines) of `in` into `output`, until the input
// ends or something fails; the error that stopped it, if any. Its line buffers are gone when it
// returns, before the box's text is read back.
std::optional<Error> writeRepetitions(const RepeatRequest& request, TextStream& in, RepeatOutput& output)
{
    const auto start = counterStart(request.countStart);
    if (!start)
        return start.error();
    std::int16_t counter = *start;
    std::string line;
    std::string nextLine;
    for (;;) {
        if (request.stop.stop_requested()) {
            output.stopped = true;
            return Error{err::InvalidProcedureCall, "the run was stopped before its end"};
        }
        // Reading (rather than asking for the end first) also reports a pending read error.
        auto read = in.readLine(line);
        if (!read)
            return read.error();
        if (!*read)
            return std::nullopt;
        std::optional<std::string_view> second;
        if (request.doubleUp) {
            // An odd number of lines ends here with the stream's past-the-end error.
            auto next = in.readLine(nextLine);
            if (!next)
                return next.error();
            if (!*next)
                return Error{err::InputPastEnd, in.path().string() + ": input past end of file"};
            second = nextLine;
        }
        const std::string counterText = std::to_string(counter);
        if (auto done = putFilled(request.chunk, 0, {line, second, counterText}, output); !done)
            return done.error();
        output.ends.push_back(output.written);
        if (counter == std::numeric_limits<std::int16_t>::max())
            return Error{err::Overflow, "the counter would pass 32767, the largest value a 16-bit number holds"};
        ++counter;
    }
}

}  // namespace

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
    auto in = fso.OpenTextFile(request.inFile, IOMode::ForReading, Missing::Fail, TextFormat::SystemDefault);
    if (!in)
        return failed(std::move(result), in.error());
    // Written beside out.txt and named out.txt at the end, so a killed run leaves out.txt as it was.
    auto out = request.outNamedBy == NamedBy::User ? fso.createOutput(request.outFile)
                                                   : fso.CreateTextFile(request.outFile, Existing::Replace);
    if (!out)
        return failed(std::move(result), out.error());
    const bool replacing = out->isReplacing();
    result.toFile = replacing;

    RepeatOutput output{*out, {}};
    std::optional<Error> error = writeRepetitions(request, *in, output);
    (void)in->Close();
    result.repetitions = output.ends.size();  // counted before close hands them to the shown text
    if (auto closing = output.close(request.show && replacing, result.shown); closing)
        error = error.value_or(std::move(*closing));
    result.written = output.published;
    if (error)
        return failed(std::move(result), std::move(*error));
    return result;
}

std::string repeatErrorMessage(const Error& error)
{
    return "Error detected -- did you double up with an in.txt with an odd number of lines?\r\n" +
           formatError(error);
}

std::string outNotWrittenMessage(const std::filesystem::path& outFile)
{
    return outFile.string() + " was not written: it holds what it held before the run.";
}

Result<std::optional<std::string>> loadChunk(const std::filesystem::path& store)
{
    FileSystemObject fso;
    if (!fso.FileExists(store))
        return std::optional<std::string>{};
    return transformValue(fso.readFileBytes(store), [](const std::string& bytes) {
        // Every line comes back ending in CR LF; the one the save added after the chunk is dropped.
        std::string chunk;
        chunk.reserve(bytes.size());
        for (const std::string_view line : splitLines(bytes)) {
            chunk += line;
            chunk += crlf;
        }
        if (chunk.ends_with(crlf))
            chunk.resize(chunk.size() - crlf.size());
        return std::optional<std::string>{std::move(chunk)};
    });
}

Result<void> saveChunk(const std::filesystem::path& store, std::string_view chunk)
{
    std::string bytes(chunk);
    bytes += crlf;
    return FileSystemObject().replaceFileContents(store, bytes);
}

Result<void> ensureFileExists(const std::filesystem::path& path)
{
    return FileSystemObject().ensureFile(path);
}

}  // namespace qb
