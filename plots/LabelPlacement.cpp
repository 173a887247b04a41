#include "LabelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

// The box moved inside area where it sticks out (to the left or top edge if it is too big).
QRectF clampedInto(QRectF box, const QRectF &area)
{
    if (box.right() > area.right())
        box.moveRight(area.right());
    if (box.left() < area.left())
        box.moveLeft(area.left());
    if (box.bottom() > area.bottom())
        box.moveBottom(area.bottom());
    if (box.top() < area.top())
        box.moveTop(area.top());
    return box;
}

bool isClear(const QRectF &box, const QVector<QRectF> &occupied)
{
    const double g = LabelPlacement::k_gap;
    const QRectF spaced = box.adjusted(-g, -g, g, g);
    return std::none_of(occupied.begin(), occupied.end(),
                        [&spaced](const QRectF &other) { return spaced.intersects(other); });
}

// A shortened text costs as much as moving this many rows away: a name a little shortened
// beside its outline reads better than a whole one far from it.
constexpr double k_shortenedRows = 3.0;

struct Candidate
{
    double cost;
    QRectF box;
    bool longest; // the longest text that fits the area (the whole text, where it fits)
};

// The boxes that the request may take, nearest to its own place first.
QVector<Candidate> candidates(const LabelPlacement::Request &request, const QRectF &area)
{
    // Sideways in steps of a third of the box height: fine enough to find narrow gaps.
    const double step = std::max(3.0, request.height / 3.0);
    QVector<double> centres{request.centre};
    for (double d = step;; d += step) {
        const bool left = request.centre - d >= request.minCentre;
        const bool right = request.centre + d <= request.maxCentre;
        if (!left && !right)
            break;
        if (left)
            centres.append(request.centre - d);
        if (right)
            centres.append(request.centre + d);
    }
    const QVector<double> tops
        = request.tops.isEmpty() ? QVector<double>{request.top} : request.tops;
    const double shortened = k_shortenedRows * (request.height + LabelPlacement::k_gap);

    // A text wider than the area would be cut at its edge: a shorter one, if there is.
    int longest = 0;
    while (longest + 1 < request.widths.size() && request.widths.at(longest) > area.width())
        ++longest;
    QVector<Candidate> all;
    all.reserve(request.widths.size() * centres.size() * tops.size());
    for (int i = longest; i < request.widths.size(); ++i) {
        const double w = request.widths.at(i);
        for (double top : tops) {
            for (double centre : centres) {
                const double cost = i * shortened + std::abs(top - request.top)
                    + std::abs(centre - request.centre);
                const QRectF box(centre - w / 2.0, top, w, request.height);
                all.append({cost, clampedInto(box, area), i == longest});
            }
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Candidate &a, const Candidate &b) { return a.cost < b.cost; });
    return all;
}

} // namespace

QVector<QRectF> LabelPlacement::place(const QRectF &area, QVector<QRectF> occupied,
                                      const QVector<Request> &requests)
{
    QVector<QRectF> placed;
    placed.reserve(requests.size());
    for (const Request &request : requests) {
        QRectF chosen;
        QRectF leastCovered;
        double leastArea = std::numeric_limits<double>::infinity();
        for (const Candidate &candidate : candidates(request, area)) {
            if (isClear(candidate.box, occupied)) {
                chosen = candidate.box;
                break;
            }
            // Only the longest text is drawn over something, never a shorter one.
            if (request.mandatory && candidate.longest) {
                const double covered = coveredArea(candidate.box, occupied);
                if (covered < leastArea) {
                    leastArea = covered;
                    leastCovered = candidate.box;
                }
            }
        }
        if (chosen.isNull() && request.mandatory)
            chosen = leastCovered;
        if (!chosen.isNull())
            occupied.append(chosen);
        placed.append(chosen);
    }
    return placed;
}

QRectF LabelPlacement::beside(const QSizeF &size, const QPointF &at, double margin,
                              const QRectF &area, const QVector<QRectF> &keepClear)
{
    struct Candidate
    {
        QRectF box;
        double moved; // from its corner of the mouse
    };
    QVector<Candidate> candidates;
    // Horizontal and vertical directions from the point: right and up first.
    const int corners[4][2] = {{1, -1}, {-1, -1}, {1, 1}, {-1, 1}};
    for (const auto &corner : corners) {
        const double x = corner[0] > 0 ? at.x() + margin : at.x() - margin - size.width();
        const double y = corner[1] < 0 ? at.y() - margin - size.height() : at.y() + margin;
        const QRectF box = clampedInto(QRectF(QPointF(x, y), size), area);
        candidates.append({box, 0.0});
        // Where the box covers something, it may also move on away from the point, sideways
        // or up or down, past what it covers, by at most its own size.
        for (const bool sideways : {true, false}) {
            QRectF pushed = box;
            for (int step = 0; step < 4; ++step) {
                const auto hit = std::find_if(
                    keepClear.begin(), keepClear.end(),
                    [&pushed](const QRectF &other) { return pushed.intersects(other); });
                if (hit == keepClear.end())
                    break;
                if (sideways && corner[0] > 0)
                    pushed.moveLeft(hit->right() + 1.0);
                else if (sideways)
                    pushed.moveRight(hit->left() - 1.0);
                else if (corner[1] < 0)
                    pushed.moveBottom(hit->top() - 1.0);
                else
                    pushed.moveTop(hit->bottom() + 1.0);
                const double moved = sideways ? std::abs(pushed.left() - box.left())
                                              : std::abs(pushed.top() - box.top());
                if (!area.contains(pushed) || moved > std::max(size.width(), size.height()))
                    break;
                candidates.append({pushed, moved});
            }
        }
    }

    // Never over the point if that can be helped (an edge of the area may push a box back over
    // it, hiding what the mouse points at), then covering least, then nearest its corner.
    QRectF best;
    std::tuple<bool, double, double> bestScore;
    for (const Candidate &candidate : qAsConst(candidates)) {
        const bool hidesPoint = candidate.box.adjusted(-1.0, -1.0, 1.0, 1.0).contains(at);
        const std::tuple<bool, double, double> score{
            hidesPoint, coveredArea(candidate.box, keepClear), candidate.moved};
        if (best.isNull() || score < bestScore) {
            bestScore = score;
            best = candidate.box;
        }
    }
    return best;
}

double LabelPlacement::coveredArea(const QRectF &rect, const QVector<QRectF> &others)
{
    double area = 0.0;
    for (const QRectF &other : others) {
        const QRectF common = rect.intersected(other);
        if (!common.isEmpty())
            area += common.width() * common.height();
    }
    return area;
}
