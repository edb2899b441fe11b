# What the suite runs with under the sanitizers (source it before ctest in a
# VANTOR_SANITIZE build): every report ends the program with its stack, and
# only the reports from inside Qt and the system libraries listed in the
# files beside this one are suppressed.
vantor_sanitizers="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$vantor_sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$vantor_sanitizers/ubsan.supp"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$vantor_sanitizers/tsan.supp"
unset vantor_sanitizers
