// Test gateway processes.
#include "gateway_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace harness {

namespace {

std::vector<std::string> readLines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

Gateway::Gateway(const GatewayOptions &o, const std::string &workDir) {
    record_ = workDir + "/actions-" + o.address + ".txt";
    mode_ = workDir + "/mode-" + o.address + ".txt";
    std::ofstream(record_).close();
    std::ofstream(mode_).close();
    std::vector<std::string> args = {PORTREEVE_TEST_GATEWAY, "--address", o.address, "--ssdp-interface",
                                     o.ssdpInterface, "--uuid", o.uuid, "--name", o.name, "--manufacturer",
                                     o.manufacturer, "--layout", o.layout, "--control", o.control,
                                     "--description", o.description, "--record", record_, "--mode", mode_,
                                     "--answer-delay", std::to_string(o.answerDelayMs)};
    if (o.urlBase) args.push_back("--urlbase");
    if (!o.hostile.empty()) args.insert(args.end(), {"--hostile", o.hostile});
    if (!o.trapAddress.empty()) args.insert(args.end(), {"--trap-address", o.trapAddress});
    if (o.answers != 1) args.insert(args.end(), {"--answers", std::to_string(o.answers)});
    int out[2];
    if (pipe(out) != 0) return;
    int pid = fork();
    if (pid == 0) {
        // The gateway ends with the test process, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    // The gateway prints "ready <port>" once it listens.
    pollfd wait{out[0], POLLIN, 0};
    char line[64] = {};
    if (pid > 0 && poll(&wait, 1, 5000) == 1 && read(out[0], line, sizeof line - 1) > 0 &&
        std::strncmp(line, "ready", 5) == 0)
        pid_ = pid;
    else if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(out[0]);
}

Gateway::~Gateway() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

std::vector<std::string> Gateway::actions() const { return readLines(record_); }

size_t Gateway::searches() const { return readLines(record_ + ".search").size(); }

void Gateway::setMode(const std::string &lines) {
    std::ofstream out(mode_, std::ios::trunc);
    out << lines << "\n";
}

void Gateway::sayGoodbye() {
    if (pid_ > 0) kill(pid_, SIGUSR1);
}

}  // namespace harness
