// `quillbox hex2dec LIST` and `quillbox dec2hex LIST`: the converter on one comma-separated list.
#include "tools/text/textCommands.h"

#include "core/fileText.h"

namespace qb {

Command hexDecCommand(HexDirection direction)
{
    const bool toDec = direction == HexDirection::HexToDec;
    Command command;
    command.name = toDec ? "hex2dec" : "dec2hex";
    command.synopsis = "LIST";
    command.summary = toDec ? "convert comma-separated hexadecimal numbers to decimal"
                            : "convert comma-separated decimal numbers to hexadecimal";
    command.description =
        (toDec ? std::string("Each item of LIST (split at every comma, nothing trimmed; an empty item is 0) is "
                             "read as a hexadecimal number that must fit a signed 32-bit integer.")
               : std::string("Each item of LIST (split at every comma, nothing trimmed) is read as a decimal "
                             "number, rounded to a whole number, that must fit a signed 16-bit integer; "
                             "negative values show as their 16-bit two's complement.")) +
        " The converted items are printed comma-separated on one line. An item that cannot be converted "
        "stops the conversion: the items before it are printed, the error goes to standard error, and the "
        "exit status is 1.";
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = [direction](CommandRun& run) {
        const HexDecResult result = convertHexDec(cp1252FromUtf8(run.arguments().front()), direction);
        if (!result.text.empty() || !result.error)
            run.print(result.text + "\n");
        if (result.error) {
            // The description names the item in the box's bytes; the terminal reads UTF-8.
            run.report(Error{result.error->number, utf8FromCp1252(result.error->description)});
            return exitStatus::failed;
        }
        return exitStatus::ok;
    };
    return command;
}

}  // namespace qb
