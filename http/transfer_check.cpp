#include "http/transfer_check.h"

#include "base/error.h"

namespace zq {

void CheckTransfer(int32_t r, int32_t expected, const char* label) {
  if (r == -1) throw Error(kTimedOut);
  if (r == 0) throw Error(std::string("Não foi possível acessar o servidor Nenhum dado recebido (") + label + ")");
  if (expected != -1 && r != expected) throw Error(kIncomplete);
}

}  // namespace zq
