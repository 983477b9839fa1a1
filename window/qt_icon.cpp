// The window's and the program's icon: a stopwatch, 32 x 32 pixels in the
// 16-colour palette.
#include <QPixmap>

#include "window/qt_window.h"

namespace delaysub::window {

namespace {

// clang-format off
const char* const kIconXpm[] = {
    "32 32 9 1",
    "  c #000000",
    ". c None",
    "b c #0000FF",
    "g c #808080",
    "m c #800000",
    "n c #000080",
    "r c #FF0000",
    "s c #C0C0C0",
    "w c #FFFFFF",
    ".............      .............",
    ".............gggggg.............",
    ".............gggggg.............",
    "..............ssss..............",
    "..............ssss..............",
    ".............bbbbbb.......g.....",
    "..........bbbbbbbbbbbb...gg.....",
    ".........bbnnnnnnnnnnbb..ggg....",
    ".......bbbnnwwwwwwwwnnbbb.......",
    "......bbnnwwwwwwnwwwwwnnbb......",
    "......bnnwwnwwww wwwnwwnnb......",
    ".....bbnwwwwwwww wwwwwwwnbb.....",
    "....bbnwwwwwwwww wwwwwwwwnbb....",
    "....bnnwnwwwwwww wwwwwwnwnnb....",
    "....bnwwwwwwwwww wwwwwwwwwnb....",
    "...bbnwwwwwwwwww wwwwwwwwwnbb...",
    "...bbnwwwwwwwwww wwwwwwwwwnbb...",
    "...bbnwwwwwwwwwmmwwwwwwwwwnbb...",
    "...bbnwnnww    mmrwwwwwnnwnbb...",
    "...bbnwwwwwwwwwwwrrwwwwwwwnbb...",
    "...bbnwwwwwwwwwwwwrrwwwwwwnbb...",
    "....bnwwwwwwwwwwwwwrrwwwwwnb....",
    "....bnnwnwwwwwwwwwwwwrwnwnnb....",
    "....bbnwwwwwwwwwwwwwwwrwwnbb....",
    ".....bbnwwwwwwwwwwwwwwwwnbb.....",
    "......bnnwwnwwwwnwwwnwwnnb......",
    "......bbnnwwwwwwnwwwwwnnbb......",
    ".......bbbnnwwwwwwwwnnbbb.......",
    ".........bbnnnnnnnnnnbb.........",
    "..........bbbbbbbbbbbb..........",
    ".............bbbbbb.............",
    "................................"};
// clang-format on

}  // namespace

QIcon DelaySubWindow::programIcon() {
  return QIcon(QPixmap(kIconXpm));
}

}  // namespace delaysub::window
