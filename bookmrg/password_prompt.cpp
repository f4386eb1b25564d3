#include "bookmrg/password_prompt.h"

namespace bookmrg {

namespace {

PasswordPrompt* g_prompt = nullptr;

} // namespace

void SetPasswordPrompt(PasswordPrompt* prompt) {
    g_prompt = prompt;
}

PasswordPrompt* CurrentPasswordPrompt() {
    return g_prompt;
}

} // namespace bookmrg
