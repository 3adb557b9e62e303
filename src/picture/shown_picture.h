#pragma once
// What a caller is going to show of a picture, so that a decoder decodes no more than that, and the
// picture a decoder gives back: the part shown, at its own size or reduced, with the picture's own
// size beside it, which is what the program reports whatever was decoded.
#include <optional>
#include <string_view>

#include "picture/picture.h"

namespace mx {

struct ShowRequest {
    enum class Kind : uint8_t {
        Whole,    // every pixel at its own size
        Scaled,   // the whole picture scaled to `area`, each direction on its own
        Fitted,   // the whole picture scaled to fit `area` with its proportions (Fit 2 Screen)
        Centred,  // at its own size, centred on `area`: the part inside the area
        TopLeft,  // at its own size from the area's top-left corner: the part inside the area
        Filled,   // the whole picture scaled to cover `area` with its proportions, centred: the part
                  // inside the area (Fill)
        Covering, // the same scaled picture whole, for Fill on screens of several shapes, which each
                  // show another part of it
    };
    Kind kind = Kind::Whole;
    Size area;
    // Fitted: the picture is wanted in its place on a picture of the area's size (see
    // DecodedPicture::placed), so that the bands can be drawn around it without moving it.
    bool inPlace = false;
    bool operator==(const ShowRequest&) const = default;
};

// What a request shows of a picture of `full` size: `region`, in the picture's own pixels, shown at
// `shown` pixels. A decoder delivers the region at any size from the smaller of `shown` and the
// region's own up to the region's own. An area without pixels asks for the whole picture. Fill shows
// the whole picture at the size that covers the area, of which the area cuts out the middle: its
// region is the part of the picture under that middle.
struct ShownPart {
    Rect region;
    Size shown;
    // The whole picture as the request shows it (its own size for the kinds that do not scale it)
    // and the part of that which is shown: `shown` pixels, taken from `region`.
    Size scaled;
    Rect window;
};
ShownPart PartShown(const ShowRequest& request, Size full);

// Fit 2 Screen: the rectangle of the screen the picture fills, centred. The side along which the
// picture is relatively longer fills the screen (equal ratios counting as taller), the other is
// rounded half to even; left and top are integer halves truncated toward zero.
Rect FittedArea(Size picture, Size screen);

// Fill: the rectangle the whole picture covers, centred on the screen and at least as large: the side
// along which the picture is relatively shorter fills the screen (equal ratios counting as taller,
// so the picture fills the screen exactly), the other is rounded half to even and reaches beyond
// the screen on both sides; left and top are integer halves truncated toward zero.
Rect FilledArea(Size picture, Size screen);

// x rounded to the nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4),
// whatever the floating-point rounding mode.
long double RoundHalfEven(long double x);

// A decoder's picture for a request.
struct DecodedPicture {
    Picture picture;         // `region`, decoded at picture.width x picture.height
    int width = 0;           // the picture's own size, as its file gives it
    int height = 0;
    Rect region;             // in the picture's own pixels
    ShowRequest request;     // what it was decoded for
    bool anyRequest = true;  // its reader gives this same picture whatever is asked
    bool systemDecoderFailed = false;  // empty because the system's decoder crashed or did not answer
    // Where in `picture` the decoded pixels lie: empty for all of it; for a request in place, the
    // fitted area of a picture of the area's size, whose pixels around it are not the picture's.
    Rect placed{};

    bool Empty() const { return picture.Empty(); }
    Size Full() const { return {width, height}; }
    // The rectangle of `picture` that holds the decoded pixels.
    Rect Held() const { return placed.width > 0 ? placed : Rect{0, 0, picture.width, picture.height}; }
    // Whether it is the picture a decode for `other` would give.
    bool Serves(const ShowRequest& other) const { return anyRequest || request == other; }
    // A picture read whole, at its own size, by a reader that reads nothing else.
    static DecodedPicture Whole(Picture picture);
};

// What the program shows of a wallpaper in a style on a screen (the style box's text, compared
// exactly; nothing for a text that names no style), and of a boot screen, stretched over it.
std::optional<ShowRequest> RequestForStyle(std::string_view style, int category, Size screen);

}  // namespace mx
