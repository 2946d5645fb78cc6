#include "CardKeys.h"

#include <algorithm>

namespace Cards {

int MovedSlot(int from, CardMove move, int columns, int shown) {
    if (shown <= 0)
        return 0;
    columns = std::max(1, columns);
    from = std::clamp(from, 1, shown);
    switch (move) {
    case CardMove::Left:
        return std::max(1, from - 1);
    case CardMove::Right:
        return std::min(shown, from + 1);
    case CardMove::Up:
        return from - columns >= 1 ? from - columns : from;
    case CardMove::Down:
        // Below the last full row the last card is the nearest one.
        if (from + columns <= shown)
            return from + columns;
        return (shown - 1) / columns > (from - 1) / columns ? shown : from;
    case CardMove::First:
        return 1;
    case CardMove::Last:
        return shown;
    }
    return from;
}

} // namespace Cards
