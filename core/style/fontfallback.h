#pragma once

// The interface names "微软雅黑" for its text and "YouSheBiaoTiHei" for titles; neither
// ships with this client. Both are mapped to a freely licensed CJK family, which is
// also the fallback of the application's default font.
namespace FontFallback {

extern const char *const kCjkFamily;

// Needs the application object.
void install();

} // namespace FontFallback
