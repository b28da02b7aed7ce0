#include "ui/titled_window.h"

#include <QBoxLayout>
#include <QGraphicsDropShadowEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "platform/screens.h"
#include "ui/control.h"
#include "ui/layout_guide.h"
#include "ui/painting.h"
#include "ui/popover.h"
#include "ui/qt_geometry.h"
#include "ui/qt_image.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

constexpr Qt::WindowFlags topLevelFlags = Qt::Window | Qt::FramelessWindowHint;

// The three buttons at the left of the title bar: close, minimise, zoom.
constexpr double lightRadius = 6;
constexpr double lightSpacing = 20;
constexpr double firstLightX = 20;

// The window's own widget: the window's background behind the title bar and the content.
class RootWidget final : public ForwardingWidget<QWidget> {
public:
    explicit RootWidget(View& owner) : ForwardingWidget<QWidget>(owner, nullptr, topLevelFlags) {
        auto* layout = new QVBoxLayout(this);  // owned by the widget
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(
            rect(),
            toQColor(Color(SystemColor::windowBackground).resolved(systemAppearanceName())));
        // A sheet's edge, or the window's own.
        painter.setPen(QPen(QColor(0, 0, 0, 50), 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
};

class RootView final : public View {
public:
    RootView() : View(std::make_unique<RootWidget>(*this)) {}
};

// The title bar: the three buttons, the title and subtitle, and the toolbar's items at the right.
class HeaderWidget final : public ForwardingWidget<QWidget> {
public:
    HeaderWidget(View& owner, TitledWindow& window)
        : ForwardingWidget<QWidget>(owner), window_(window) {
        auto* layout = new QHBoxLayout(this);  // owned by the widget
        layout->setContentsMargins(0, 0, 12, 0);
        layout->addStretch(1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), QColor(0xF2, 0xF2, 0xF3));
        painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(0, 0, 0, 30));
        const QColor lights[] = {QColor(0xEC, 0x6A, 0x5E), QColor(0xF4, 0xBF, 0x4F),
                                 QColor(0x61, 0xC5, 0x54)};
        for (int i = 0; i < 3; ++i) {
            painter.setPen(QPen(lights[i].darker(120), 0.5));
            painter.setBrush(lights[i]);
            painter.drawEllipse(lightCentre(i), lightRadius, lightRadius);
        }
        const bool withToolbar = window_.toolbar() != nullptr;
        QFont titleFont = qtFont(Font::boldSystem(13));
        painter.setPen(toQColor(Color(SystemColor::label).resolved(systemAppearanceName())));
        painter.setFont(titleFont);
        const QString title = QString::fromStdString(window_.title());
        if (!withToolbar) {
            painter.drawText(QRectF(0, 0, width(), height()), Qt::AlignCenter, title);
            return;
        }
        const double left = firstLightX + 2 * lightSpacing + 24;
        if (window_.subtitle().empty()) {
            painter.drawText(QRectF(left, 0, width() - left, height()),
                             Qt::AlignVCenter | Qt::AlignLeft, title);
            return;
        }
        painter.drawText(QRectF(left, 8, width() - left, 18), Qt::AlignVCenter | Qt::AlignLeft,
                         title);
        painter.setFont(qtFont(Font::system(11)));
        painter.setPen(
            toQColor(Color(SystemColor::secondaryLabel).resolved(systemAppearanceName())));
        painter.drawText(QRectF(left, 27, width() - left, 16), Qt::AlignVCenter | Qt::AlignLeft,
                         QString::fromStdString(window_.subtitle()));
    }

    void mousePressEvent(QMouseEvent* event) override {
        ForwardingWidget<QWidget>::mousePressEvent(event);
        event->accept();
        pressedLight_ = lightAt(event->position());
        dragStart_ = event->globalPosition().toPoint() - window()->pos();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (pressedLight_ < 0 && event->buttons().testFlag(Qt::LeftButton)) {
            window()->move(event->globalPosition().toPoint() - dragStart_);
            event->accept();
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        ForwardingWidget<QWidget>::mouseReleaseEvent(event);
        event->accept();
        const int light = lightAt(event->position());
        const int pressed = pressedLight_;
        pressedLight_ = -1;
        if (light < 0 || light != pressed)
            return;
        // The window may go with its close; keep it for the call.
        const auto keep = window_.shared_from_this();
        if (light == 0 && (window_.styleMask() & TitledWindow::closable) != 0)
            window_.performClose();
        else if (light == 2)
            window_.toggleFullScreen();
    }

private:
    QPointF lightCentre(int index) const {
        return {firstLightX + lightSpacing * index, height() / 2.0};
    }

    int lightAt(const QPointF& point) const {
        for (int i = 0; i < 3; ++i) {
            const QPointF offset = point - lightCentre(i);
            if (std::hypot(offset.x(), offset.y()) <= lightRadius + 1)
                return i;
        }
        return -1;
    }

    TitledWindow& window_;
    int pressedLight_ = -1;
    QPoint dragStart_;
};

class HeaderView final : public View {
public:
    explicit HeaderView(TitledWindow& window)
        : View(std::make_unique<HeaderWidget>(*this, window)) {}
};

}  // namespace

struct TitledWindow::Parts {
    std::shared_ptr<View> root;
    std::shared_ptr<View> header;
    std::shared_ptr<View> contentHost;
    // The size asked for, kept while the title bar comes and goes.
    platform::CGSize contentSize;
    std::shared_ptr<View> toolbarRow;
    QRect frameBeforeFullScreen;
};

TitledWindow::TitledWindow(platform::CGSize contentSize, std::uint64_t styleMask)
    : parts_(std::make_unique<Parts>()), styleMask_(styleMask) {
    parts_->root = std::make_shared<RootView>();
    parts_->header = std::make_shared<HeaderView>(*this);
    parts_->contentHost = std::make_shared<View>();
    adopt(*parts_->root);
    parts_->root->addSubview(parts_->header);
    parts_->root->addSubview(parts_->contentHost);
    auto* layout = dynamic_cast<QVBoxLayout*>(qtWidget(*parts_->root)->layout());
    layout->addWidget(qtWidget(*parts_->header));
    layout->addWidget(qtWidget(*parts_->contentHost), 1);
    parts_->contentSize = contentSize;
    relayoutHeader();
    number_ = platform::programWindowCreate({}, frame());
    platform::programWindowSetContent(number_, [this] {
        Image image = render();
        return platform::ProgramWindowPixels{image.width(), image.height(),
                                             std::move(image.data())};
    });
}

std::shared_ptr<TitledWindow> TitledWindow::withContentViewController(
    std::shared_ptr<ViewController> controller) {
    const platform::CGSize size = controller->view()->fittingSize();
    auto window = std::make_shared<TitledWindow>(size);
    window->setContentViewController(std::move(controller));
    return window;
}

TitledWindow::~TitledWindow() {
    for (const auto& weak : popovers_) {
        if (auto popover = weak.lock())
            popover->close();
    }
    if (sheet_) {
        // The sheet's widget is its window's to delete.
        qtWidget(*sheet_->parts_->root)->setParent(nullptr, topLevelFlags);
        sheet_->parent_.reset();
    }
    release(*parts_->root);
    platform::programWindowDestroy(number_);
}

void TitledWindow::setTitle(std::string title) {
    title_ = std::move(title);
    qtWidget(*parts_->root)->setWindowTitle(QString::fromStdString(title_));
    qtWidget(*parts_->header)->update();
}

void TitledWindow::setSubtitle(std::string subtitle) {
    subtitle_ = std::move(subtitle);
    qtWidget(*parts_->header)->update();
}

void TitledWindow::setToolbar(std::shared_ptr<Toolbar> toolbar) {
    if (parts_->toolbarRow) {
        parts_->toolbarRow->removeFromSuperview();
        parts_->toolbarRow.reset();
    }
    toolbar_ = std::move(toolbar);
    if (toolbar_) {
        toolbar_->fillWithDefaultItems();
        parts_->toolbarRow = toolbar_->itemsView();
        parts_->header->addSubview(parts_->toolbarRow);
        qtWidget(*parts_->header)->layout()->addWidget(qtWidget(*parts_->toolbarRow));
    }
    relayoutHeader();
}

double TitledWindow::headerHeight() const {
    if (sheetParent())
        return 0;
    return toolbar_ ? toolbarTitleBarHeight : titleBarHeight;
}

void TitledWindow::relayoutHeader() {
    parts_->header->setHidden(headerHeight() == 0);
    parts_->header->setHeight(headerHeight());
    qtWidget(*parts_->header)->update();
    setContentSize(parts_->contentSize);
}

std::shared_ptr<View> TitledWindow::contentView() const {
    // What stands in the content area now: a controller may have replaced its view there.
    const auto& shown = parts_->contentHost->subviews();
    return shown.empty() ? nullptr : shown.front();
}

void TitledWindow::setContentView(std::shared_ptr<View> view) {
    if (auto current = contentView())
        current->removeFromSuperview();
    if (view)
        pin(*view, *parts_->contentHost, 0);
}

void TitledWindow::setContentViewController(std::shared_ptr<ViewController> controller) {
    controller_ = std::move(controller);
    setContentView(controller_ ? controller_->view() : nullptr);
}

bool TitledWindow::makeFirstResponder(View* view) {
    QWidget* root = qtWidget(*parts_->root);
    if (view == nullptr) {
        if (QWidget* focused = root->focusWidget())
            focused->clearFocus();
        return true;
    }
    if (view->window() != this)
        return false;
    QWidget* widget = qtWidget(*view);
    if (widget->focusPolicy() == Qt::NoFocus)
        widget->setFocusPolicy(Qt::ClickFocus);
    widget->setFocus(Qt::OtherFocusReason);
    return true;
}

View* TitledWindow::firstResponder() const {
    return viewOfWidget(qtWidget(*parts_->root)->focusWidget());
}

platform::CGRect TitledWindow::frame() const {
    return bottomLeftFrame(qtWidget(*parts_->root)->geometry());
}

platform::CGSize TitledWindow::contentSize() const {
    const QSize size = qtWidget(*parts_->root)->size();
    return {static_cast<double>(size.width()),
            std::max(0.0, static_cast<double>(size.height()) - headerHeight())};
}

void TitledWindow::setContentSize(platform::CGSize size) {
    QWidget* root = qtWidget(*parts_->root);
    const platform::CGRect before = frame();
    parts_->contentSize = size;
    root->resize(std::max(1, pixels(size.width)),
                 std::max(1, pixels(size.height + headerHeight())));
    // The top edge stays where it was, as the toolkit keeps a window's top-left corner.
    if (visible_)
        setFrameOrigin({before.minX(), before.maxY() - frame().height()});
    updateServerFrame();
}

void TitledWindow::setContentMinSize(platform::CGSize size) {
    minSize_ = size;
    qtWidget(*parts_->root)
        ->setMinimumSize(pixels(size.width), pixels(size.height + headerHeight()));
}

void TitledWindow::setFrameOrigin(platform::CGPoint origin) {
    QWidget* root = qtWidget(*parts_->root);
    const QRect geometry = topLeftGeometry(
        {origin, {static_cast<double>(root->width()), static_cast<double>(root->height())}});
    root->move(geometry.topLeft());
    updateServerFrame();
}

void TitledWindow::center() {
    const platform::CGRect current = frame();
    std::optional<platform::NSScreen> best;
    double bestArea = 0;
    for (const platform::NSScreen& screen : platform::NSScreen::screens()) {
        const double width = std::min(screen.frame().maxX(), current.maxX()) -
                             std::max(screen.frame().minX(), current.minX());
        const double height = std::min(screen.frame().maxY(), current.maxY()) -
                              std::max(screen.frame().minY(), current.minY());
        if (width > 0 && height > 0 && width * height > bestArea) {
            best = screen;
            bestArea = width * height;
        }
    }
    if (!best)
        best = platform::NSScreen::main();
    if (!best)
        return;
    const platform::CGRect& visible = best->visibleFrame();
    setFrameOrigin({std::round(visible.midX() - current.width() / 2),
                    std::round(visible.midY() - current.height() / 2)});
}

void TitledWindow::updateServerFrame() {
    if (number_ != 0)
        platform::programWindowSetFrame(number_, frame());
}

bool TitledWindow::hostIsVisible() const {
    if (auto parent = parent_.lock())
        return parent->hostIsVisible() && parent->sheet_.get() == this;
    return visible_;
}

void TitledWindow::setShown(bool shown) {
    if (visible_ == shown)
        return;
    const auto keep = shared_from_this();
    changeVisibility(*parts_->root, shown, [&] {
        const auto change = [&] {
            visible_ = shown;
            QWidget* root = qtWidget(*parts_->root);
            root->setVisible(shown);
            if (shown) {
                root->raise();
                platform::programWindowOrderFront(number_);
            } else {
                platform::programWindowOrderOut(number_);
            }
        };
        if (sheet_)
            changeVisibility(*sheet_->parts_->root, shown, change);
        else
            change();
    });
    flushLayout();
}

void TitledWindow::makeKeyAndOrderFront() {
    if (sheetParent())
        return;
    setShown(true);
}

void TitledWindow::orderOut() {
    for (const auto& weak : popovers_) {
        if (auto popover = weak.lock())
            popover->close();
    }
    popovers_.clear();
    setShown(false);
}

void TitledWindow::close() {
    const auto keep = shared_from_this();
    if (delegate_ != nullptr)
        delegate_->windowWillClose(*this);
    orderOut();
}

void TitledWindow::performClose() {
    if (delegate_ != nullptr && !delegate_->windowShouldClose(*this))
        return;
    close();
}

void TitledWindow::toggleFullScreen() {
    const auto keep = shared_from_this();
    QWidget* root = qtWidget(*parts_->root);
    if (!fullScreen_) {
        if (delegate_ != nullptr)
            delegate_->windowWillEnterFullScreen(*this);
        fullScreen_ = true;
        parts_->frameBeforeFullScreen = root->geometry();
        if (const auto screen = platform::NSScreen::main())
            root->setGeometry(topLeftGeometry(screen->frame()));
        updateServerFrame();
        if (delegate_ != nullptr)
            delegate_->windowDidEnterFullScreen(*this);
        return;
    }
    if (delegate_ != nullptr)
        delegate_->windowWillExitFullScreen(*this);
    fullScreen_ = false;
    root->setGeometry(parts_->frameBeforeFullScreen);
    updateServerFrame();
    if (delegate_ != nullptr)
        delegate_->windowDidExitFullScreen(*this);
}

void TitledWindow::beginSheet(std::shared_ptr<TitledWindow> sheet,
                              std::function<void(std::int64_t)> completion) {
    if (!sheet || sheet.get() == this || sheet == sheet_ || sheet->sheetParent())
        return;
    PendingSheet pending{std::move(sheet), std::move(completion)};
    pending.sheet->parent_ = weak_from_this();
    if (sheet_) {
        waitingSheets_.push_back(std::move(pending));
        return;
    }
    attachSheet(std::move(pending));
}

void TitledWindow::attachSheet(PendingSheet pending) {
    const auto change = [&] {
        sheet_ = pending.sheet;
        sheetCompletion_ = std::move(pending.completion);
        sheet_->relayoutHeader();
        QWidget* sheetRoot = qtWidget(*sheet_->parts_->root);
        QWidget* root = qtWidget(*parts_->root);
        sheetRoot->setParent(root, Qt::Widget);
        sheetRoot->move(std::max(0, (root->width() - sheetRoot->width()) / 2),
                        pixels(headerHeight()));
        auto* shadow = new QGraphicsDropShadowEffect(sheetRoot);  // owned by the sheet's widget
        shadow->setBlurRadius(18);
        shadow->setOffset(0, 4);
        shadow->setColor(QColor(0, 0, 0, 90));
        sheetRoot->setGraphicsEffect(shadow);
        sheetRoot->show();
        sheetRoot->raise();
        qtWidget(*parts_->header)->setEnabled(false);
        qtWidget(*parts_->contentHost)->setEnabled(false);
    };
    if (visible_)
        changeVisibility(*pending.sheet->parts_->root, true, change);
    else
        change();
}

void TitledWindow::endSheet(TitledWindow& sheet, std::int64_t response) {
    const auto keep = shared_from_this();
    if (sheet_.get() != &sheet) {
        const auto waiting = std::ranges::find_if(waitingSheets_, [&](const PendingSheet& pending) {
            return pending.sheet.get() == &sheet;
        });
        if (waiting == waitingSheets_.end())
            return;
        PendingSheet ended = std::move(*waiting);
        waitingSheets_.erase(waiting);
        ended.sheet->parent_.reset();
        if (ended.completion)
            ended.completion(response);
        return;
    }
    const std::shared_ptr<TitledWindow> ending = sheet_;
    std::function<void(std::int64_t)> completion = std::move(sheetCompletion_);
    const auto change = [&] {
        QWidget* sheetRoot = qtWidget(*ending->parts_->root);
        sheetRoot->hide();
        sheetRoot->setGraphicsEffect(nullptr);
        sheetRoot->setParent(nullptr, topLevelFlags);
        sheet_.reset();
        ending->parent_.reset();
        ending->relayoutHeader();
        qtWidget(*parts_->header)->setEnabled(true);
        qtWidget(*parts_->contentHost)->setEnabled(true);
    };
    if (visible_)
        changeVisibility(*ending->parts_->root, false, change);
    else
        change();
    if (completion)
        completion(response);
    if (!sheet_ && !waitingSheets_.empty()) {
        PendingSheet next = std::move(waitingSheets_.front());
        waitingSheets_.erase(waitingSheets_.begin());
        attachSheet(std::move(next));
    }
}

void TitledWindow::addPopover(const std::shared_ptr<Popover>& popover) {
    std::erase_if(popovers_, [](const std::weak_ptr<Popover>& weak) { return weak.expired(); });
    popovers_.push_back(popover);
}

Image TitledWindow::render() const {
    flushLayout();
    QWidget* root = qtWidget(*parts_->root);
    QRect canvas(root->mapToGlobal(QPoint(0, 0)), root->size());
    std::vector<std::pair<QRect, QImage>> layers;
    for (const auto& weak : popovers_) {
        const auto popover = weak.lock();
        if (!popover || !popover->isShown())
            continue;
        QWidget* widget = popover->widget();
        const QRect rect(widget->pos(), widget->size());
        canvas = canvas.united(rect);
        layers.emplace_back(rect, widget->grab().toImage());
    }
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.drawImage(root->mapToGlobal(QPoint(0, 0)) - canvas.topLeft(), root->grab().toImage());
    for (const auto& [rect, layer] : layers)
        painter.drawImage(rect.topLeft() - canvas.topLeft(), layer);
    painter.end();
    return fromQImage(image);
}

}  // namespace zoral::ui
