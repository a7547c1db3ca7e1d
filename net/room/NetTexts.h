#pragma once

// Chat texts of the room (Big5).
namespace nettext {
// "[公共]:"
inline constexpr const char* kPublic = "[\xa4\xbd\xa6@]:";
// "< " and " > 已離線"
inline constexpr const char* kNameOpen = "< ";
inline constexpr const char* kLeft = " > \xa4w\xc2\xf7\xbdu";
// "場主已恢復連線"
inline constexpr const char* kHostBack = "\xb3\xf5\xa5"
                                         "D\xa4w\xab\xec\xb4_\xb3s\xbdu";
// "場主暫時無法連線..."
inline constexpr const char* kHostUnreachable = "\xb3\xf5\xa5"
                                                "D\xbc\xc8\xae\xc9\xb5L\xaak\xb3s\xbdu...";
// "場主已離線 < " and " > 轉為場主!!"
inline constexpr const char* kHostGone = "\xb3\xf5\xa5"
                                         "D\xa4w\xc2\xf7\xbdu < ";
inline constexpr const char* kBecameHost = " > \xc2\xe0\xac\xb0\xb3\xf5\xa5"
                                           "D!!";
// The colour of system lines.
inline constexpr int kSystemColour = 3;
} // namespace nettext
