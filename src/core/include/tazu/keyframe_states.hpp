// Which keyframe an index of the keyframe-state selector names. The selector
// has one row per stored keyframe and a last row "当前" for the live state: an
// index k with 0 <= k < count names stored keyframe k, the index `count` and
// larger name the live state (as does no index, which callers handle first).
// And the numbers the position and scale dialogs of the keyframe editing show.
#pragma once

namespace tazu::keyframes {

// Saving the icon's look writes it into stored keyframe k only; the live
// state is never written into the list.
bool saves_into_stored(double k, double count);

// A switch shows stored keyframe k unless k is past the last one (then the
// live state comes back). A negative k still names a stored keyframe, the
// list's own way of counting from the end.
bool switches_to_stored(double k, double count);

// Adding a keyframe inserts the look before row k; a negative k adds nothing.
bool adds_at(double k);

enum class Deletion {
  nothing,  // k is past the selector's rows
  stored,   // stored keyframe k leaves the list
  live,     // the "当前" row: the last stored keyframe leaves the list and
            // becomes the live state
};
// What deleting the row k does, with `rows` rows in the selector.
Deletion deletion(double k, double rows, double count);

// A position shown in the position dialog: a whole number is shown as an
// int ("X: 50", not "X: 50.0").
bool shown_whole(double v);

// The scale shown in the scale dialog, in the unit the user types: the
// icon's scale over the display scale, rounded to 4 decimals as Python's
// round() rounds (half to even on the exact value). A display scale of 0
// throws DivisionByZero.
double typed_scale(double scale, double display);

}  // namespace tazu::keyframes
