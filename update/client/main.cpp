// Patchrunner: the online update client.
int main() {
    return 0;
}
