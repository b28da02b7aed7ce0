#include "ui/named_colors.h"

#include <QColor>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <string>

#include "ui/resources.h"

namespace zoral::ui {

namespace {

struct Shades {
    platform::RGBColor light;
    platform::RGBColor dark;
};

std::optional<platform::RGBColor> parse(const QJsonValue& value) {
    const QColor colour = QColor::fromString(value.toString());
    if (!colour.isValid())
        return std::nullopt;
    return platform::RGBColor{colour.redF(), colour.greenF(), colour.blueF(), colour.alphaF()};
}

// Read once: the resource is part of the program and never changes.
const std::map<std::string, Shades, std::less<>>& table() {
    static const auto colours = [] {
        std::map<std::string, Shades, std::less<>> result;
        QFile file(QString::fromUtf8(resourcePath("colors/NamedColors.json").c_str()));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        for (auto entry = root.begin(); entry != root.end(); ++entry) {
            const QJsonObject shades = entry.value().toObject();
            const auto light = parse(shades.value(QStringLiteral("light")));
            const auto dark = parse(shades.value(QStringLiteral("dark")));
            if (light && dark)
                result.emplace(entry.key().toStdString(), Shades{*light, *dark});
        }
        return result;
    }();
    return colours;
}

}  // namespace

std::optional<platform::RGBColor> namedColor(std::string_view name, AppearanceName appearance) {
    const auto& colours = table();
    const auto found = colours.find(name);
    if (found == colours.end())
        return std::nullopt;
    return isDark(appearance) ? found->second.dark : found->second.light;
}

}  // namespace zoral::ui
