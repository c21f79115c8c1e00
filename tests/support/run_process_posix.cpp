// Starting a program on POSIX hosts: fork and exec, standard output read
// from a pipe.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/run_process.h"

namespace logtrim::test {

// The whole of the arguments and environment must fit in ARG_MAX.
std::size_t longest_command_line() { return static_cast<std::size_t>(sysconf(_SC_ARG_MAX)) / 2; }

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

}  // namespace logtrim::test
