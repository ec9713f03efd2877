#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The panel drawn to a PNG file from the command line, with made-up accounts when asked.
namespace PanelPicture {

struct Request {
    QString path;
    // The dark colours for the application and the picture.
    bool dark = false;
    // The demo store instead of the accounts on this computer.
    bool demo = false;
    // The text after "--open": the position of the row drawn open.
    std::optional<QString> open;
    // Every row drawn open.
    bool expandAll = false;

    // The modifiers read from the whole command line.
    static Request from(const QStringList& arguments, const QString& path);
};

// The row position `open` names: a whole decimal number from 0 to below `rowCount`; nothing
// for any other text.
std::optional<qsizetype> openedRow(const std::optional<QString>& open, qsizetype rowCount);

// `view` at the size its content needs, two pixels per point, transparent outside an outline
// whose corners curve smoothly over a radius of 10 points.
QImage render(QWidget& view);

// Builds the store (refreshed once, unless it is the demo store) and the panel, and writes the
// picture. Failures to draw or write are not reported: the mode ends the same way. Needs the
// application object.
void write(const Request& request);

// The whole mode: the application on the offscreen platform unless one was chosen, then
// `write`. Always 0; prints nothing.
int run(int& argc, char** argv, const QString& path);

} // namespace PanelPicture
