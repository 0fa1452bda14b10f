int
main(void)
{
}
enum e { A, B
