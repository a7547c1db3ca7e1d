// Update: the offline patch installer.
int main() {
    return 0;
}
