#pragma once

// The window's three pictures, compiled into the program from ui/pictures (drawn by tools/make-artwork).
// Link quibrel_pictures to have them.

namespace quibrel::pictures {

constexpr char windowIcon[] = ":/quibrel.ico"; // 32 x 32, 16 colours: red lettering on black
constexpr char zorvel[] = ":/zorvel.bmp";      // 335 x 461, 24 bits: shown by pctZorvel
constexpr char arrow[] = ":/arrow.bmp";        // 115 x 99, 24 bits: shown by imgArrow

} // namespace quibrel::pictures
