#pragma once

// Screenshots of the program's windows for a person to look at, and the checks of what a person
// would notice in them: controls cut short or lying over each other.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/control.h"
#include "ui/event_pump.h"
#include "ui/image.h"
#include "ui/qt_view.h"
#include "ui/stack_view.h"

namespace zoral::ui::testing {

// Writes the image as <folder>/<name>.png (the folder made when missing); under a real X server,
// the screen as the server shows it as <name>-x11.png, too.
inline void saveScreenshot(const Image& image, const std::string& folder, const std::string& name) {
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(image.savePng(folder + "/" + name + ".png"));
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        processToolkitEvents();
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        EXPECT_TRUE(screen.save(QString::fromStdString(folder + "/" + name + "-x11.png")));
    }
}

// Every leaf view lies inside its superview and gets the size its content asks for; arranged
// views of a stack do not overlap.
inline void expectNothingClippedOrOverlapping(const View& view) {
    const auto* stack = dynamic_cast<const StackView*>(&view);
    std::vector<QRect> placed;
    for (const auto& subview : view.subviews()) {
        if (subview->isHidden())
            continue;
        const QWidget* widget = qtWidget(*subview);
        const QRect rect = widget->geometry();
        if (stack != nullptr) {
            EXPECT_TRUE(QRect(QPoint(), qtWidget(view)->size()).contains(rect))
                << "cut off by its stack: " << widget->metaObject()->className();
        }
        if (dynamic_cast<const Control*>(subview.get()) != nullptr) {
            const QSize wanted = widget->minimumSizeHint().isValid() ? widget->minimumSizeHint()
                                                                     : widget->sizeHint();
            EXPECT_GE(rect.width(), wanted.width()) << widget->metaObject()->className();
            EXPECT_GE(rect.height(), wanted.height()) << widget->metaObject()->className();
        }
        if (stack != nullptr) {
            for (const QRect& other : placed) {
                EXPECT_FALSE(rect.intersects(other))
                    << "overlapping views in a stack: " << widget->metaObject()->className()
                    << " at " << rect.x() << "," << rect.y() << " " << rect.width() << "x"
                    << rect.height();
            }
            placed.push_back(rect);
        }
        expectNothingClippedOrOverlapping(*subview);
    }
}

}  // namespace zoral::ui::testing
