#include "support/run_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace logtrim::test {

process_result run_program(const std::string& program,
                           const std::vector<std::string>& args,
                           const std::filesystem::path& dir,
                           const char* stdout_path) {
  process_result result;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return result;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int out = stdout_path ? open(stdout_path, O_WRONLY) : pipe_fds[1];
    if (out < 0 || dup2(out, STDOUT_FILENO) < 0 || chdir(dir.c_str()) != 0) _exit(127);
    close(pipe_fds[0]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(pipe_fds[0], buf, sizeof buf)) > 0) result.out.append(buf, static_cast<std::size_t>(n));
  close(pipe_fds[0]);
  int wstatus = 0;
  if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
    result.status = WEXITSTATUS(wstatus);
  return result;
}

process_result run_logtrim(const std::vector<std::string>& args,
                           const std::filesystem::path& dir, const char* stdout_path) {
  // LOGTRIM_TOOL names another build of the tool to run in its place (the
  // Node.js one), so that the same table checks it.
  const char* tool = std::getenv("LOGTRIM_TOOL");
  return run_program(tool && *tool ? tool : LOGTRIM_BINARY, args, dir, stdout_path);
}

temp_dir::temp_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "logtrim-test-XXXXXX").string();
  if (mkdtemp(pattern.data())) path = pattern;
}

temp_dir::~temp_dir() {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove_all(path, ec);
}

void write_file(const std::filesystem::path& path, const bytes& content) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
}

bytes read_file(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace logtrim::test
