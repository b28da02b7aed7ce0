#pragma once

// A scroll view after the toolkit's: a clip view shows part of a document view, with scrollers
// along the sides. The document fills at least the visible area and may grow beyond it, which
// then scrolls. A flipped clip view lays the document out from the top, so a short document
// stands at the top and the point (0, 0) is the top; an unflipped one from the bottom.
// Main thread only.

#include <memory>

#include "platform/geometry.h"
#include "ui/view.h"

class QScrollArea;

namespace zoral::ui {

class ScrollView;

class ClipView : public View {
public:
    explicit ClipView(bool flipped = false) : flipped_(flipped) {}

    virtual bool isFlipped() const { return flipped_; }

    // Scrolls so that the point of the document (in the clip view's coordinates: from the top
    // when flipped, from the bottom otherwise) is at the clip's origin, as far as it can go.
    void scrollToPoint(platform::CGPoint point);
    // The part of the document shown, in the document's top-left coordinates.
    platform::CGRect documentVisibleRect() const;

private:
    friend class ScrollView;
    bool flipped_;
    QScrollArea* area_ = nullptr;
};

class ScrollView : public View {
public:
    ScrollView();
    ~ScrollView() override;

    // The clip view; a plain unflipped one until another is set.
    const std::shared_ptr<ClipView>& contentView() const { return clip_; }
    void setContentView(std::shared_ptr<ClipView> clip);
    const std::shared_ptr<View>& documentView() const { return document_; }
    void setDocumentView(std::shared_ptr<View> document);

    bool hasVerticalScroller() const { return vertical_; }
    void setHasVerticalScroller(bool has);
    bool hasHorizontalScroller() const { return horizontal_; }
    void setHasHorizontalScroller(bool has);
    void setDrawsBackground(bool draws);

private:
    void applyClip();

    std::shared_ptr<ClipView> clip_;
    std::shared_ptr<View> document_;
    bool vertical_ = false;
    bool horizontal_ = false;
};

}  // namespace zoral::ui
