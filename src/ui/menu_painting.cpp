#include "ui/menu_painting.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <array>
#include <map>
#include <utility>
#include <vector>

#include "ui/application.h"
#include "ui/painting.h"
#include "ui/qt_image.h"
#include "ui/qt_menu.h"

namespace zoral::ui {

namespace {

using platform::AttributedString;
using platform::FontSymbolicTraits;
using platform::NSEventModifierFlags;

// The characters the toolkit gives the keys that type none, and how menus name those keys.
struct KeyName {
    char16_t character;
    const char* text;
};

constexpr std::array<KeyName, 12> keyNames{{
    {u'\r', "\u21A9"},
    {u'\x03', "\u2324"},
    {u'\t', "\u21E5"},
    {u'\x1b', "\u238B"},
    {u'\x7f', "\u232B"},
    {u'\b', "\u232B"},
    {u' ', "Space"},
    {u'\uF700', "\u2191"},
    {u'\uF701', "\u2193"},
    {u'\uF702', "\u2190"},
    {u'\uF703', "\u2192"},
    {u'\uF728', "\u2326"},
}};

// The function keys' characters, F1 to F35.
constexpr char16_t firstFunctionKey = u'\uF704';
constexpr char16_t lastFunctionKey = u'\uF726';

std::string keyText(const QString& equivalent) {
    if (equivalent.size() == 1) {
        const char16_t character = equivalent.at(0).unicode();
        if (character >= firstFunctionKey && character <= lastFunctionKey)
            return "F" + std::to_string(character - firstFunctionKey + 1);
        for (const KeyName& name : keyNames) {
            if (name.character == character)
                return name.text;
        }
    }
    return equivalent.toUpper().toStdString();
}

// A title's runs drawn over the toolkit's item, which draws everything else (background, check
// mark, key equivalent). The style finds an item's runs by the item's text.
class MenuStyle : public QProxyStyle {
public:
    MenuStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

    void setRuns(const QString& text, std::vector<AttributedString::Run> runs) {
        runs_.insert_or_assign(text, std::move(runs));
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const auto found =
            item != nullptr && element == CE_MenuItem ? runs_.find(item->text) : runs_.end();
        if (found == runs_.end()) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem rest = *item;
        rest.text = withTitle(*item, QString());
        QProxyStyle::drawControl(element, &rest, painter, widget);

        const bool enabled = item->state.testFlag(State_Enabled);
        const bool selected = enabled && item->state.testFlag(State_Selected);
        painter->save();
        painter->setPen(item->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                            selected ? QPalette::HighlightedText : QPalette::Text));
        double x = item->rect.x() + titleStart(*item, widget);
        for (const AttributedString::Run& run : found->second) {
            const QFont font = fontOf(item->font, run);
            const QString text = QString::fromStdString(run.text);
            painter->setFont(font);
            const QRectF area(x, item->rect.y(), item->rect.right() - x, item->rect.height());
            painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            x += QFontMetricsF(font).horizontalAdvance(text);
        }
        painter->restore();
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || item == nullptr)
            return result;
        if (const auto found = runs_.find(item->text); found != runs_.end()) {
            // Italics lean out beyond the plain text's width.
            double runsWidth = 0;
            for (const AttributedString::Run& run : found->second)
                runsWidth += QFontMetricsF(fontOf(item->font, run))
                                 .horizontalAdvance(QString::fromStdString(run.text));
            const double plain =
                QFontMetricsF(item->font).horizontalAdvance(item->text.section(u'\t', 0, 0));
            result.rwidth() += static_cast<int>(std::max(0.0, runsWidth - plain)) + 2;
        }
        return result;
    }

    // Dimmed text is drawn flat, as the system's menus draw it.
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_EtchDisabledText)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    static QString withTitle(const QStyleOptionMenuItem& item, const QString& title) {
        const qsizetype tab = item.text.indexOf(u'\t');
        return tab < 0 ? title : title + item.text.mid(tab);
    }

    static QFont fontOf(const QFont& base, const AttributedString::Run& run) {
        QFont font = base;
        if (run.font) {
            font.setItalic(run.font->traits.contains(FontSymbolicTraits::italic));
            font.setBold(run.font->traits.contains(FontSymbolicTraits::bold));
        }
        return font;
    }

    // Where the toolkit starts an item's title: the first column where the item drawn with a
    // title differs from the item drawn without one.
    double titleStart(const QStyleOptionMenuItem& item, const QWidget* widget) const {
        const auto draw = [&](const QString& title) {
            QStyleOptionMenuItem copy = item;
            copy.rect = QRect(QPoint(0, 0), item.rect.size());
            copy.text = withTitle(item, title);
            copy.state &= ~State_Selected;
            QImage image(copy.rect.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            QProxyStyle::drawControl(CE_MenuItem, &copy, &painter, widget);
            return image;
        };
        const QImage without = draw(QString());
        const QImage with = draw(QStringLiteral("M"));
        // The ink of "M" starts its left bearing after the pen.
        const double bearing = QFontMetricsF(item.font).leftBearing(u'M');
        for (int x = 0; x < with.width(); ++x) {
            for (int y = 0; y < with.height(); ++y) {
                if (with.pixel(x, y) != without.pixel(x, y))
                    return x - bearing;
            }
        }
        return 0;
    }

    std::map<QString, std::vector<AttributedString::Run>> runs_;
};

QPalette paletteFor(AppearanceName appearance) {
    const bool dark = isDark(appearance);
    const QColor background = dark ? QColor(42, 42, 44) : QColor(246, 246, 246);
    const QColor text = dark ? QColor(240, 240, 240) : QColor(0, 0, 0);
    const QColor disabled = dark ? QColor(120, 120, 124) : QColor(160, 160, 160);
    QPalette palette;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, background);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabled);
    palette.setColor(QPalette::Highlight, QColor(47, 111, 219));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

bool hasAttributes(const AttributedString& title) {
    for (const AttributedString::Run& run : title.runs()) {
        if (run.font && !run.font->traits.isEmpty())
            return true;
    }
    return false;
}

// '&' marks a mnemonic for the toolkit; a title means it as it stands.
QString literal(const std::string& text) {
    return QString::fromStdString(text).replace(u'&', QStringLiteral("&&"));
}

void fill(QMenu& widget, MenuStyle& style, const platform::Menu& menu, AppearanceName appearance) {
    for (const auto& item : menu.visibleItems()) {
        if (item->isSeparatorItem()) {
            widget.addSeparator();
            continue;
        }
        const AttributedString title = item->displayedTitle();
        QString text = literal(title.string());
        if (const std::string key = keyEquivalentText(*item); !key.empty())
            text += u'\t' + QString::fromStdString(key);
        QAction* action = nullptr;
        if (item->submenu) {
            auto* submenu = new QMenu(&widget);
            submenu->setStyle(&style);
            submenu->setPalette(paletteFor(appearance));
            fill(*submenu, style, *item->submenu, appearance);
            action = widget.addMenu(submenu);
            action->setText(text);
        } else {
            action = widget.addAction(text);
        }
        action->setEnabled(item->enabled);
        if (item->state != platform::ControlStateValue::off) {
            action->setCheckable(true);
            action->setChecked(item->state == platform::ControlStateValue::on);
        }
        if (hasAttributes(title))
            style.setRuns(text, title.runs());
        QObject::connect(action, &QAction::triggered,
                         [weakItem = std::weak_ptr<platform::MenuItem>(item)] {
                             const auto chosen = weakItem.lock();
                             if (chosen && chosen->action)
                                 chosen->action(*chosen);
                         });
    }
}

}  // namespace

std::string keyEquivalentText(const platform::MenuItem& item) {
    if (item.keyEquivalent.empty())
        return {};
    const QString equivalent = QString::fromStdString(item.keyEquivalent);
    NSEventModifierFlags mask = item.keyEquivalentModifierMask;
    if (equivalent.toLower() != equivalent)
        mask = mask | NSEventModifierFlags::maskShift;
    struct Symbol {
        NSEventModifierFlags flag;
        const char* text;
    };
    constexpr std::array<Symbol, 4> symbols{{
        {NSEventModifierFlags::maskControl, "\u2303"},
        {NSEventModifierFlags::maskAlternate, "\u2325"},
        {NSEventModifierFlags::maskShift, "\u21E7"},
        {NSEventModifierFlags::maskCommand, "\u2318"},
    }};
    std::string text;
    for (const Symbol& symbol : symbols) {
        if (mask.contains(symbol.flag))
            text += symbol.text;
    }
    return text + keyText(equivalent);
}

std::unique_ptr<QMenu> makeQMenu(const platform::Menu& menu, AppearanceName appearance) {
    ensureApplication();
    auto widget = std::make_unique<QMenu>();
    auto* style = new MenuStyle();
    // Owned by the menu, and so by its submenus' parent.
    style->setParent(widget.get());
    widget->setStyle(style);
    widget->setPalette(paletteFor(appearance));
    widget->setTitle(literal(menu.title));
    fill(*widget, *style, menu, appearance);
    return widget;
}

Image renderMenu(const platform::Menu& menu, AppearanceName appearance, double scale) {
    if (scale <= 0)
        return {};
    const auto widget = makeQMenu(menu, appearance);
    widget->ensurePolished();
    const QSize size = widget->sizeHint();
    widget->resize(size);
    QImage image(static_cast<int>(size.width() * scale), static_cast<int>(size.height() * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget->render(&image);
    image.setDevicePixelRatio(1);
    return fromQImage(image);
}

}  // namespace zoral::ui
