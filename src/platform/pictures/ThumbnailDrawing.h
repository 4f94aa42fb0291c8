#pragma once
// --thumbnail INPUT OUTPUT SIZE: the picture a file manager shows for a page
// or template file (the thumbnailer entry runs it). It is the picture stored
// beside the page (the page file name + ".bmp"), or, when there is none, the
// page drawn from its blocks and style. It needs QtGui, so it is not part of
// the core: the program's entry adds it to the command table.
//
// Pages come from anywhere, so the command is bounded: it reads at most a
// small page file and small pictures, shows only pictures from the HTML
// folder of the program's data, runs no script, opens no network connection,
// and ends itself after a few seconds or when it would use too much memory.

#include <QImage>
#include <QString>

namespace wobbin {

struct CliArgs;

// Adds --thumbnail to the command table.
void AddThumbnailCommand();

int RunThumbnailCommand(const CliArgs &args);

} // namespace wobbin
