#include "driver/driver.h"

int main(int argc, char** argv) { return tenmaru::run(argc, argv); }
