// Kardol: the game and its editor mode. Start-up is built up from here.
int main() {
    return 0;
}
