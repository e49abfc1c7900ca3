/* A stand-in for a Windows tool that Wine only stubs (icacls, certutil, net): appends
   its own name and arguments as one line to the file that STAND_IN_LOG names, and exits
   with STAND_IN_EXIT_<NAME>_<number of arguments> (STAND_IN_EXIT_NET_2=2), else with
   STAND_IN_EXIT_<NAME> (STAND_IN_EXIT_ICACLS=5), else 0. Copied under each tool's name
   into a folder that comes first on the PATH. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  char module[MAX_PATH];
  GetModuleFileNameA(NULL, module, sizeof module);
  char* name = strrchr(module, '\\') != NULL ? strrchr(module, '\\') + 1 : module;
  char* dot = strrchr(name, '.');
  if (dot != NULL) *dot = '\0';
  const char* log = getenv("STAND_IN_LOG");
  FILE* out = log != NULL ? fopen(log, "ab") : NULL;
  if (out != NULL) {
    fputs(name, out);
    for (int i = 1; i < argc; ++i) fprintf(out, " [%s]", argv[i]);
    fputs("\n", out);
    fclose(out);
  }
  char variable[MAX_PATH + 16] = "STAND_IN_EXIT_";
  for (char* p = name; *p != '\0'; ++p) {
    char upper[2] = {(char)(*p >= 'a' && *p <= 'z' ? *p - 32 : *p), '\0'};
    strcat(variable, upper);
  }
  char counted[sizeof variable + 16];
  snprintf(counted, sizeof counted, "%s_%d", variable, argc - 1);
  const char* code = getenv(counted) != NULL ? getenv(counted) : getenv(variable);
  return code != NULL ? atoi(code) : 0;
}
