#define	A	1
  #define B 2 extra
#undef C 3
#define D
#define E 4
