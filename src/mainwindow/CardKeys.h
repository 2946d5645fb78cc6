#pragma once

// Moving the keyboard focus between the cards of a page, as a plain function of the grid.
namespace Cards {

enum class CardMove { Left, Right, Up, Down, First, Last };

// The slot (1..shown) the focus goes to from slot `from` on a page of `columns` columns where
// slots 1..shown hold cards. Left and Right run along the reading order (from the end of a row to
// the start of the next); Up and Down keep the column and stay put at the top or bottom edge;
// First and Last are the first and last card. With no card shown the result is 0.
int MovedSlot(int from, CardMove move, int columns, int shown);

} // namespace Cards
