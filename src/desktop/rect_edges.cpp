#include "desktop/rect_edges.h"

namespace zoral::desktop {
namespace {

double distanceAt(const EdgeDistances& distances, CGRectEdge edge) {
    const auto found = distances.find(edge);
    return found != distances.end() ? found->second : 0.0;
}

}  // namespace

EdgeDistances edgeDistances(const platform::CGRect& inner, const platform::CGRect& outer) {
    return {
        {CGRectEdge::left, inner.minX() - outer.minX()},
        {CGRectEdge::right, outer.maxX() - inner.maxX()},
        {CGRectEdge::top, inner.minY() - outer.minY()},
        {CGRectEdge::bottom, outer.maxY() - inner.maxY()},
    };
}

platform::CGRect applyingEdgeDistances(const platform::CGRect& rect,
                                       const EdgeDistances& distances) {
    const double left = distanceAt(distances, CGRectEdge::left);
    const double right = distanceAt(distances, CGRectEdge::right);
    const double top = distanceAt(distances, CGRectEdge::top);
    const double bottom = distanceAt(distances, CGRectEdge::bottom);
    return {rect.origin.x + left, rect.origin.y + top, rect.size.width - (left + right),
            rect.size.height - (top + bottom)};
}

}  // namespace zoral::desktop
