#include "desktop_pictures.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ax_names.h"
#include "platform/dispatch.h"
#include "platform/output.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/input_devices.h"
#include "sim/program_windows.h"
#include "sim/window_server.h"
#include "sim/world.h"
#include "ui/appearance.h"
#include "ui/application.h"

namespace zoral::pictures {

namespace {

namespace ax = platform::ax;

// Wider desktops are scaled down to this width.
constexpr double maximumWidth = 3200;

QRectF toQt(platform::CGRect rect) {
    return {rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
}

std::string stringAttribute(const sim::Node& node, std::string_view attribute) {
    if (const ax::Value* value = node.stored(attribute))
        if (const auto* text = value->getIf<std::string>())
            return *text;
    return {};
}

struct Palette {
    QColor desktopTop, desktopBottom, windowBody, titleBar, titleText, border, bar, barText, dock,
        tile;
};

Palette paletteFor(bool dark) {
    if (dark)
        return {QColor(24, 32, 56),      QColor(58, 40, 78),    QColor(40, 40, 44),
                QColor(56, 56, 60),      QColor(225, 225, 230), QColor(20, 20, 22),
                QColor(30, 30, 34, 220), QColor(235, 235, 240), QColor(60, 60, 66, 200),
                QColor(96, 110, 140)};
    return {QColor(92, 150, 214),       QColor(170, 196, 232), QColor(252, 252, 252),
            QColor(232, 232, 234),      QColor(40, 40, 44),    QColor(150, 150, 156),
            QColor(246, 246, 248, 225), QColor(20, 20, 24),    QColor(240, 240, 244, 190),
            QColor(120, 150, 200)};
}

void paintTrafficLights(QPainter& painter, const QRectF& titleBar) {
    const QColor colours[] = {QColor(236, 95, 86), QColor(244, 190, 79), QColor(98, 197, 84)};
    const double radius = 6;
    double x = titleBar.left() + 13;
    for (const QColor& colour : colours) {
        painter.setPen(colour.darker(120));
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(x, titleBar.center().y()), radius, radius);
        x += 20;
    }
}

void paintApplicationWindow(QPainter& painter, const sim::Node& node, const QRectF& frame,
                            const Palette& palette) {
    painter.setPen(QPen(palette.border, 1));
    painter.setBrush(palette.windowBody);
    painter.drawRoundedRect(frame, 8, 8);
    const double titleHeight = std::min(sim::WindowServer::titleBarHeight, frame.height());
    const QRectF titleBar(frame.left(), frame.top(), frame.width(), titleHeight);
    QPainterPath top;
    top.addRoundedRect(titleBar, 8, 8);
    top.addRect(titleBar.adjusted(0, titleHeight / 2, 0, 0));
    painter.fillPath(top.simplified(), palette.titleBar);
    painter.setPen(palette.border);
    painter.drawLine(titleBar.bottomLeft(), titleBar.bottomRight());
    if (frame.width() > 80)
        paintTrafficLights(painter, titleBar);
    const QString title = QString::fromStdString(stringAttribute(node, ax::attribute::title));
    if (!title.isEmpty() && frame.width() > 120) {
        painter.setPen(palette.titleText);
        const QRectF text = titleBar.adjusted(70, 0, -10, 0);
        painter.drawText(text, Qt::AlignCenter,
                         painter.fontMetrics().elidedText(title, Qt::ElideRight,
                                                          static_cast<int>(text.width())));
    }
}

// The menu bar's items (the system's menu first, then the application's in bold) or one status
// item, over the strip already painted.
void paintBarItems(QPainter& painter, const sim::Node& bar, const Palette& palette) {
    painter.setPen(palette.barText);
    const auto& items = bar.children();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto itemFrame = items[i]->frame();
        if (!itemFrame)
            continue;
        QFont font = painter.font();
        font.setBold(i == 1);
        painter.setFont(font);
        painter.drawText(
            toQt(*itemFrame), Qt::AlignCenter,
            i == 0 ? QStringLiteral("\u25C6")
                   : QString::fromStdString(stringAttribute(*items[i], ax::attribute::title)));
    }
    painter.setFont(QFont());
}

void paintStatusItem(QPainter& painter, const sim::Node& item, const QRectF& frame,
                     const Palette& palette) {
    const std::string title = stringAttribute(item, ax::attribute::title);
    painter.setPen(palette.barText);
    painter.drawText(frame, Qt::AlignCenter,
                     title.empty() ? QStringLiteral("\u25CF") : QString::fromStdString(title));
}

void paintDock(QPainter& painter, const sim::Node& list, const QRectF& frame,
               const Palette& palette) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.dock);
    painter.drawRoundedRect(frame, 14, 14);
    for (const auto& tile : list.children()) {
        const auto tileFrame = tile->frame();
        if (!tileFrame)
            continue;
        const QRectF box = toQt(*tileFrame).adjusted(4, 4, -4, -4);
        if (stringAttribute(*tile, ax::attribute::subrole) == ax::subrole::separatorDockItem) {
            painter.setPen(QPen(palette.barText, 1));
            painter.drawLine(QPointF(box.center().x(), box.top()),
                             QPointF(box.center().x(), box.bottom()));
            painter.setPen(Qt::NoPen);
            continue;
        }
        painter.setBrush(palette.tile);
        painter.drawRoundedRect(box, 10, 10);
        const QString title = QString::fromStdString(stringAttribute(*tile, ax::attribute::title));
        if (!title.isEmpty()) {
            painter.setPen(Qt::white);
            QFont font = painter.font();
            font.setBold(true);
            font.setPixelSize(std::max(8, static_cast<int>(box.height() * 0.45)));
            painter.setFont(font);
            painter.drawText(box, Qt::AlignCenter, title.left(1).toUpper());
            painter.setFont(QFont());
            painter.setPen(Qt::NoPen);
        }
    }
}

void paintProgramWindow(QPainter& painter, const platform::ProgramWindowPixels& pixels,
                        const QRectF& frame, double alpha) {
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.argb.size() !=
            static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height))
        return;
    const QImage image(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.width,
                       pixels.height, pixels.width * 4, QImage::Format_ARGB32_Premultiplied);
    painter.save();
    painter.setOpacity(alpha);
    painter.drawImage(frame, image);
    painter.restore();
}

void paintPointer(QPainter& painter, platform::CGPoint at) {
    const QPointF tip(at.x, at.y);
    const QPolygonF arrow({tip, tip + QPointF(0, 17), tip + QPointF(4.5, 13),
                           tip + QPointF(7.5, 19.5), tip + QPointF(10, 18.5),
                           tip + QPointF(7, 12.3), tip + QPointF(12, 12.3)});
    painter.setPen(QPen(Qt::white, 1.2));
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
}

}  // namespace

std::optional<std::string> writeDesktopPicture(sim::World& world,
                                               const std::filesystem::path& file) {
    ui::ensureApplication();
    sim::Displays& displays = sim::Displays::of(world);
    QRectF desktop;
    std::vector<QRectF> screens;
    for (const sim::Display& display : displays.displays()) {
        if (const auto frame = displays.topLeftFrame(display.uuid)) {
            screens.push_back(toQt(*frame));
            desktop = desktop.united(screens.back());
        }
    }
    if (screens.empty())
        return "the world has no display";
    const double scale = std::min(1.0, maximumWidth / desktop.width());
    QImage image(static_cast<int>(std::ceil(desktop.width() * scale)),
                 static_cast<int>(std::ceil(desktop.height() * scale)), QImage::Format_ARGB32);
    image.fill(QColor(16, 16, 18));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.translate(-desktop.topLeft());

    const Palette palette = paletteFor(ui::isDark(ui::systemAppearanceName()));
    std::vector<QRectF> menuBars;
    for (const sim::Display& display : displays.displays())
        if (const auto frame = displays.topLeftFrame(display.uuid);
            frame && display.menuBarHeight > 0)
            menuBars.emplace_back(frame->origin.x, frame->origin.y, frame->size.width,
                                  display.menuBarHeight);
    // The strips of the menu bars lie above the windows and below the menus and status items.
    bool barsPainted = false;
    const auto paintBars = [&] {
        for (const QRectF& bar : menuBars)
            painter.fillRect(bar, palette.bar);
        barsPainted = true;
    };
    for (const QRectF& screen : screens) {
        QLinearGradient gradient(screen.topLeft(), screen.bottomRight());
        gradient.setColorAt(0, palette.desktopTop);
        gradient.setColorAt(1, palette.desktopBottom);
        painter.fillRect(screen, gradient);
    }

    // Back to front, so that what lies in front is painted last.
    sim::WindowServer& server = sim::WindowServer::of(world);
    sim::ProgramWindows& programWindows = sim::ProgramWindows::of(world);
    const std::vector<sim::ServerWindow> windows = server.windows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (!window->node || !server.isVisible(world, *window->node))
            continue;
        if (!barsPainted && window->options.level >= sim::windowLevel::mainMenu)
            paintBars();
        if (window->options.level == sim::windowLevel::mainMenu) {
            paintBarItems(painter, *window->node, palette);
            continue;
        }
        const auto frame = window->node->frame();
        if (!frame)
            continue;
        const QRectF rect = toQt(*frame);
        if (window->owner == world.programPid()) {
            if (const auto state = programWindows.window(window->number))
                paintProgramWindow(painter, programWindows.pixels(window->number), rect,
                                   state->alpha);
        } else if (window->options.level == sim::windowLevel::dock) {
            paintDock(painter, *window->node, rect, palette);
        } else if (window->options.level == sim::windowLevel::status) {
            paintStatusItem(painter, *window->node, rect, palette);
        } else {
            paintApplicationWindow(painter, *window->node, rect, palette);
        }
    }
    if (!barsPainted)
        paintBars();
    if (sim::Cursor::of(world).isVisible())
        paintPointer(painter, sim::InputDevices::of(world).pointer());
    painter.end();

    std::error_code error;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        return "cannot make the folder " + file.parent_path().string() + ": " + error.message();
    if (!image.save(QString::fromStdString(file.string()), "PNG"))
        return "cannot write " + file.string();
    return std::nullopt;
}

PicturingTooltips::PicturingTooltips(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::function<void()> PicturingTooltips::picture(const std::string& phase) const {
    char name[64];
    std::snprintf(name, sizeof name, "gesture-%03d-%s.png", gesture_, phase.c_str());
    return [file = folder_ / name, written = written_, failed = failed_] {
        if (const auto error = writeDesktopPicture(sim::World::current(), file)) {
            // One line for a folder that cannot take pictures, not one per gesture.
            if (!*failed)
                platform::output::printLine("pictures: " + *error);
            *failed = true;
            return;
        }
        ++*written;
    };
}

void PicturingTooltips::update(const engine::Action& action, engine::TooltipDrawing drawing,
                               platform::CGPoint point) {
    tooltips_->update(action, drawing, point);
    active_ = true;
    if (!drawing.state || (lastProposed_ && *lastProposed_ == action))
        return;
    lastProposed_ = action;
    ++proposals_;
    picture(proposals_ == 1 ? "proposed" : "proposed-" + std::to_string(proposals_))();
}

void PicturingTooltips::hide() {
    tooltips_->hide();
}

void PicturingTooltips::fadeTooltips(double duration) {
    tooltips_->fadeTooltips(duration);
    if (!active_)
        return;
    // The end as the user sees it once the fade is over: the action done, the tooltips gone.
    platform::DispatchQueue::main().asyncAfter(platform::DispatchTime::now() + (duration + 0.05),
                                               picture("ended"));
    ++gesture_;
    active_ = false;
    proposals_ = 0;
    lastProposed_.reset();
}

void PicturingTooltips::livePreview(const engine::Action& action,
                                    const std::shared_ptr<desktop::Window>& window,
                                    const desktop::Screen& screen) {
    tooltips_->livePreview(action, window, screen);
}

}  // namespace zoral::pictures
