#pragma once
// The field separator of the request message and of the gateway's reply (ASCII FS).
inline constexpr char kFieldSeparator = '\x1C';
