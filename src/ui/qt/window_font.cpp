#include "ui/qt/window_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QString>
#include <QStringList>
#include <mutex>
#include <set>

namespace tavrel {
namespace {

constexpr int kPointSize = 8;

// Loads each file once: a second load of the same file would add a second copy.
void LoadOnce(const std::string& file) {
    static std::mutex mutex;
    static std::set<std::string> loaded;
    const std::lock_guard lock(mutex);
    if (!loaded.insert(file).second) return;
    // A missing or unreadable file is refused here (-1); nothing to report:
    // the window then takes the next font.
    QFontDatabase::addApplicationFont(QString::fromStdString(file));
}

}  // namespace

std::vector<std::string> TahomaMetricFontFiles() {
    return {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};
}

QFont WindowFont(const std::vector<std::string>& font_files) {
    for (const auto& file : font_files) LoadOnce(file);
    QFont font;
    font.setPointSize(kPointSize);
    // Widths as the font's own metrics give them, not widened to whole pixels
    // by the hinting that some desktops apply: the base layout's controls fit
    // their texts at those widths.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        font.setFamilies({QStringLiteral("Tahoma")});
        return font;
    }
    // Narrow faces by name first; where none is installed, a condensed stretch
    // of the sans font, which Qt narrows itself when the face has no such width.
    const QStringList narrow{QStringLiteral("DejaVu Sans Condensed"),
                             QStringLiteral("Liberation Sans Narrow"),
                             QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Arial Narrow")};
    font.setFamilies(narrow);
    font.setStyleHint(QFont::SansSerif);
    if (!narrow.contains(QFontInfo(font).family())) font.setStretch(QFont::Condensed);
    return font;
}

}  // namespace tavrel
