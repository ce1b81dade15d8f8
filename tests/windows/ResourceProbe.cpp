// Carries the editor's resources, so that the icons can be read back from an
// executable without the editor (which needs Qt for Windows) being linked.
int main() {
    return 0;
}
