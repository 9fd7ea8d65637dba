// The programs start without the media decoders: none of FFmpeg's libraries
// (which bring a hundred more with them) is among the libraries the loader
// maps at start-up; they are loaded when the first video or sound opens.
#include "shell_fixture.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// The shared libraries the dynamic loader maps for a program, as ldd lists
// them; empty when ldd cannot run.
std::string LoaderList(const std::string& program) {
    std::string out;
    FILE* pipe = popen(("ldd '" + program + "' 2>&1").c_str(), "r");
    if (!pipe) return out;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) out += line;
    pclose(pipe);
    return out;
}

TEST(ProgramLibraries, TheProgramsDoNotLoadTheMediaLibraryAtStart) {
    for (const char* name : {"KYV102e_Simp", "KYV102e_dvd"}) {
        SCOPED_TRACE(name);
        const std::string program = BuildTreeProgram(name);
        ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
        const std::string list = LoaderList(program);
        ASSERT_NE(list.find("libSDL2"), std::string::npos) << list;
        for (const char* library : {"libavcodec", "libavformat", "libavutil", "libswresample", "libswscale"})
            EXPECT_EQ(list.find(library), std::string::npos) << library << " is loaded at start:\n" << list;
    }
}

} // namespace
