/* A plugin for qemu's user-mode emulation that ends the guest program with
 * SIGILL on its first instruction of SSE2 or later, as a processor without
 * SSE2 would: qemu's own Pentium III model runs such instructions. Each
 * instruction is judged once, when qemu translates it, from its disassembly
 * and the lists of sse-instructions.txt (plugin argument list=PATH); only the
 * ones judged get a callback, which stops the program when they run.
 * Built for the build machine, loaded as -plugin PATH,list=LIST. */
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The part of qemu's plugin interface (version 1) used here. */
typedef uint64_t qemu_plugin_id_t;
struct qemu_info_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS };
typedef void (*qemu_plugin_vcpu_tb_trans_cb_t)(qemu_plugin_id_t, struct qemu_plugin_tb*);
typedef void (*qemu_plugin_vcpu_udata_cb_t)(unsigned int, void*);
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t, qemu_plugin_vcpu_tb_trans_cb_t);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb*);
struct qemu_plugin_insn* qemu_plugin_tb_get_insn(const struct qemu_plugin_tb*, size_t);
char* qemu_plugin_insn_disas(const struct qemu_plugin_insn*);
void qemu_plugin_register_vcpu_insn_exec_cb(struct qemu_plugin_insn*, qemu_plugin_vcpu_udata_cb_t,
                                            enum qemu_plugin_cb_flags, void*);

#define EXPORTED __attribute__((visibility("default")))
EXPORTED int qemu_plugin_version = 1;

/* " kind mnemonic " for every listed mnemonic, blank-separated. */
static char listed[8192] = " ";

static int ReadLists(const char* path) {
  FILE* file = fopen(path, "r");
  if (file == NULL) return -1;
  char line[512], kind[16], word[32];
  while (fgets(line, sizeof line, file) != NULL) {
    int offset = 0, used = 0;
    if (line[0] == '#' || sscanf(line, "%15s%n", kind, &offset) != 1) continue;
    for (const char* p = line + offset; sscanf(p, "%31s%n", word, &used) == 1; p += used) {
      if (strlen(listed) + strlen(kind) + strlen(word) + 3 >= sizeof listed) break;
      strcat(strcat(strcat(strcat(listed, kind), " "), word), " ");
    }
  }
  fclose(file);
  return 0;
}

static int Listed(const char* kind, const char* mnemonic) {
  char key[64];
  snprintf(key, sizeof key, " %s %s ", kind, mnemonic);
  return strstr(listed, key) != NULL;
}

static int NeedsSse2(const char* text) {
  char mnemonic[32];
  if (sscanf(text, "%31s", mnemonic) != 1) return 0;
  if (Listed("beyond", mnemonic)) return 1;
  if (strstr(text, "%ymm") != NULL || strstr(text, "%zmm") != NULL) return 1;
  return strstr(text, "%xmm") != NULL && !Listed("xmm", mnemonic);
}

static void Stop(unsigned int vcpu, void* text) {
  (void)vcpu;
  fprintf(stderr, "SSE2 or later on a processor without it: %s\n", (const char*)text);
  signal(SIGILL, SIG_DFL);
  raise(SIGILL);
}

static void Translate(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  for (size_t i = 0; i < qemu_plugin_tb_n_insns(tb); ++i) {
    struct qemu_plugin_insn* insn = qemu_plugin_tb_get_insn(tb, i);
    char* text = qemu_plugin_insn_disas(insn);
    if (text != NULL && NeedsSse2(text)) {
      /* The text stays for the callback's message. */
      qemu_plugin_register_vcpu_insn_exec_cb(insn, Stop, QEMU_PLUGIN_CB_NO_REGS, text);
    } else {
      free(text);
    }
  }
}

EXPORTED int qemu_plugin_install(qemu_plugin_id_t id, const struct qemu_info_t* info, int argc,
                                 char** argv) {
  (void)info;
  for (int i = 0; i < argc; ++i) {
    if (strncmp(argv[i], "list=", 5) == 0 && ReadLists(argv[i] + 5) == 0) {
      qemu_plugin_register_vcpu_tb_trans_cb(id, Translate);
      return 0;
    }
  }
  fprintf(stderr, "Sse2Trap: no readable list=PATH argument\n");
  return -1;
}
