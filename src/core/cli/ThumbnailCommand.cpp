#include "cli/ThumbnailCommand.h"

namespace wobbin {

CliCommandRow ThumbnailCommandRow(int (*run)(const CliArgs &))
{
    return {"--thumbnail", "INPUT OUTPUT SIZE", {"--data-dir"},
            "write the picture of page or template INPUT to the PNG file\n"
            "OUTPUT, at most SIZE x SIZE pixels (for file managers): the\n"
            "picture saved beside the page, or else the page drawn afresh",
            run};
}

} // namespace wobbin
