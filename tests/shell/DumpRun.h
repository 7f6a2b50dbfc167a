#pragma once
// Runs the built ostrel-dump as a user does: standard input from /dev/null, output into files of the
// given folder; kills it and fails the test if it takes over 30 seconds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace dumprun {

struct TRun {
    int Status = -1; // exit status; -1 when it did not exit normally
    std::string Out, Err;
};

inline std::string ReadAll(const std::string& P) {
    std::ifstream F(P, std::ios::binary);
    std::stringstream S;
    S << F.rdbuf();
    return S.str();
}

inline TRun RunDump(const std::string& Dir, const std::vector<std::string>& Args) {
    const std::string OutF = Dir + "/stdout.txt", ErrF = Dir + "/stderr.txt";
    const char* const Bin = OSTREL_BIN_DIR "/ostrel-dump";
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        const int In = ::open("/dev/null", O_RDONLY);
        const int Out = ::open(OutF.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int Err = ::open(ErrF.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (In < 0 || Out < 0 || Err < 0) ::_exit(126);
        ::dup2(In, 0);
        ::dup2(Out, 1);
        ::dup2(Err, 2);
        std::vector<char*> Argv{const_cast<char*>(Bin)};
        for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        ::execv(Bin, Argv.data());
        ::_exit(127);
    }
    TRun R;
    if (Pid < 0) {
        ADD_FAILURE() << "fork failed";
        return R;
    }
    int St = 0;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::waitpid(Pid, &St, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > Deadline) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, &St, 0);
            ADD_FAILURE() << "ostrel-dump did not finish";
            return R;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    R.Status = WIFEXITED(St) ? WEXITSTATUS(St) : -1;
    R.Out = ReadAll(OutF);
    R.Err = ReadAll(ErrF);
    return R;
}

} // namespace dumprun
