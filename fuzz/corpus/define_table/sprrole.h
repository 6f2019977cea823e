// roles
#ifndef SPRROLE_H
#define SPRROLE_H
#define ROLE_BEGIN 0
#define ROLE_MAN 1
#define ROLE_WOMAN 2
#define ROLE_NPC -7
#define ROLE_BIG 2147483647
#define ROLE_END 5
