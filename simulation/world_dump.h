#pragma once
// The world of one frame as text, so that two machines whose checksums part
// can be compared field by field. The form, line by line:
//
//   frame F checksum HHHHHHHH
//   obj CLASS ID OWNER X Y HP            one per engine child ('-' where none)
//   sel PLAYER ID ...                     one per player 1..PlayerCount
//   game KEY=VALUE ...                    frame, sizes, counts, generator state
//   player P KEY=VALUE ...                one per player 0..PlayerCount
//   type T KEY=VALUE ...                  one per unit type, weapons included
//   object ID CLASS KEY=VALUE ...         one per engine child, every field the
//                                         step reads or writes
//
// The "obj" and "sel" lines come first and keep their old shape for the
// tools that read only them. Singles are printed with %.9g and doubles with
// %.17g, which read back to the same bits, so two dumps are equal exactly
// when the text is. Fields only the picture uses (the selection ring flag,
// the camera, the alpha depth) and the machine's own player are left out:
// they differ between machines that play in step. Text values are written
// with '%XX' escapes for '%', '=', ',', spaces and control bytes.
#include <cstdint>
#include <string>

namespace orbitfall {

class TGame;

// The short lines: "obj" per engine child, then "sel" per player.
std::string ShortDumpText(const TGame& game);
// The "game", "player", "type" and "object" lines.
std::string FullDumpText(const TGame& game);
// The whole form after its frame line: ShortDumpText then FullDumpText.
std::string WorldDumpText(const TGame& game);
// "frame F checksum HHHHHHHH" with its line end.
std::string FrameLine(std::int32_t frame, std::uint32_t checksum);

// The escape of text values and its inverse ("Fighter%20II" <-> "Fighter II").
std::string EscapeDumpValue(const std::string& text);
std::string UnescapeDumpValue(const std::string& text);

}  // namespace orbitfall
