#pragma once

// The greeting that runs through the scroller: 1440 printable characters after which the
// text repeats only when the scroll position wraps.
extern const char scrollMessage[];
