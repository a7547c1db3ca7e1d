// Keeps the support library non-empty before any helper exists.
namespace kardol_test_support {
int placeholder = 0;
}
