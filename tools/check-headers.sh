#!/usr/bin/env bash
# One C header of each serial-port family compiles as C11 -pedantic -Werror and
# holds what it says: its names, and values that the generator law gives back.
# Usage: tools/check-headers.sh [BUILD-DIR]
set -euo pipefail
cli=${1:-build}/cli/velmiro-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# check FAMILY-OR-DEVICE-OPTION CLOCK RATE [OPTION...], then the C lines that test the header
# on stdin.
check() {
    local option=$1 value=$2 clock=$3 rate=$4
    "$cli" header "$clock" "$rate" "$option" "$value" "${@:5}" --prefix U_ >"$work/baud.h"
    {
        echo '#include "baud.h"'
        cat
        echo 'int main(void) { return 0; }'
    } >"$work/check.c"
    gcc -std=c11 -Wall -Wextra -Werror -pedantic -I"$work" "$work/check.c" -o "$work/check"
    "$work/check"
    echo "$value: $clock, $rate baud: compiles and checks out"
}

# usart: SPBRG alone, no BRG16 and no SPBRGH.
check --device PIC16F877A 20M 9600 <<'C'
_Static_assert(U_SYNC == 0 && U_BRGH == 1 && U_BRG == 129 && U_SPBRG == 0x81, "001, n 129");
_Static_assert(U_BAUD_ERROR_PPM == 1603, "+0.16 %");
_Static_assert(U_FOSC / (16 * (U_SPBRG + 1)) == 9615, "the achieved rate");
#if defined(U_BRG16) || defined(U_SPBRGH)
#error "a USART has no BRG16 and no SPBRGH"
#endif
C
grep -q '^/\* PIC16F877A, famiglia usart \*/$' "$work/baud.h"

# uart18: BRGS and the 16-bit UxBRG with its two bytes.
check --family uart18 16M 9600 <<'C'
_Static_assert(U_BRGS == 1 && U_BRG == 416 && U_UXBRG == 416, "BRGS = 1, n 416");
_Static_assert((U_UXBRGH << 8 | U_UXBRGL) == U_UXBRG, "the two bytes");
_Static_assert(-U_BAUD_ERROR_PPM == 799, "-0.08 %");
_Static_assert(U_FOSC / (4 * (U_UXBRG + 1)) == 9592, "the achieved rate");
#if defined(U_SYNC) || defined(U_BRGH) || defined(U_SPBRG)
#error "the PIC18 UART has BRGS and UxBRG"
#endif
C

# uart16: the generator counts Fcy = Fosc / 2.
check --family uart16 32M 115200 <<'C'
_Static_assert(U_FCY == U_FOSC / 2 && U_FCY == 16000000, "Fcy");
_Static_assert(U_BRGH == 1 && U_BRG == 34 && U_UXBRG == 34, "BRGH = 1, n 34, not 68");
_Static_assert(-U_BAUD_ERROR_PPM == 7937, "-0.79 %");
_Static_assert(U_FCY / (4 * (U_UXBRG + 1)) == 114285, "the achieved rate");
C

# pic32: the first number is the peripheral bus clock.
check --family pic32 36M 115200 <<'C'
_Static_assert(U_BRGH == 1 && U_BRG == 77 && U_UXBRG == 77, "BRGH = 1, n 77");
_Static_assert(U_BAUD_ERROR_PPM == 1603, "+0.16 %");
_Static_assert(U_PBCLK / (4 * (U_UXBRG + 1)) == 115384, "the achieved rate");
#ifdef U_FOSC
#error "a PIC32 UART counts PBCLK"
#endif
C

# uart33c: the fractional mode divides Fp by UxBRGH[3:0]:UxBRG itself, without + 1.
check --device dsPIC33CK256MP508 100M 115200 --clock fp <<'C'
_Static_assert(U_FP == 100000000 && U_FOSC == 2 * U_FP && U_BCLKSEL == 0, "Fp = Fosc / 2");
_Static_assert(U_BCLKMOD == 1 && U_BRGH == 0 && U_BRG == 868, "fractional, n 868");
_Static_assert((U_UXBRGH << 16 | U_UXBRG) == U_BRG && U_UXBRGH <= 0xF, "the 20-bit register");
_Static_assert(U_BAUD_ERROR_PPM == 64 && U_FP / U_BRG == 115207, "+0.01 %");
C
# uart33c from Fosc (BCLKSEL = FOSC), and a value of more than 16 bits.
check --family uart33c 200M 150 --bclksel fosc <<'C'
_Static_assert(U_BCLKSEL == 2 && U_FOSC == 200000000, "BCLKSEL = FOSC");
_Static_assert(U_BRGH == 1 && U_BRG == 333332, "4 clocks a bit, n above 16 bits");
_Static_assert(U_UXBRGH == 0x5 && U_UXBRG == 0x1614, "UxBRGH[3:0]:UxBRG");
_Static_assert(U_FOSC / (4 * ((U_UXBRGH << 16 | U_UXBRG) + 1)) == 150, "the achieved rate");
#ifdef U_FP
#error "the UART counts Fosc itself"
#endif
C

# uart33a: CLKMOD and BRGS, UxBRG of 20 bits, from FUART.
check --family uart33a 50M 921600 <<'C'
_Static_assert(U_CLKMOD == 1 && U_BRGS == 0 && U_BRG == 54 && U_UXBRG == 54, "fractional, n 54");
_Static_assert(U_FUART / U_UXBRG == 925925, "the achieved rate");
C

# dspic30f: Fcy = Fosc / 4, 16 clocks a bit, no BRGH.
check --device dsPIC30F4013 16M 9600 <<'C'
_Static_assert(U_FCY == U_FOSC / 4 && U_BRG == 25 && U_UXBRG == 25, "Fcy 4 MHz, n 25");
_Static_assert(U_FCY / (16 * (U_UXBRG + 1)) == 9615 && U_BAUD_ERROR_PPM == 1603, "+0.16 %");
#ifdef U_BRGH
#error "a dsPIC30F UART has no BRGH"
#endif
C

# A crystal and its PLL: Fosc and Fcy follow from them.
check --device PIC24FJ64GA002 8M 115200 --pll 4 <<'C'
_Static_assert(U_OSC == 8000000 && U_FOSC == 4 * U_OSC && U_FCY == U_FOSC / 2, "the chain");
_Static_assert(U_BRGH == 1 && U_BRG == 34 && -U_BAUD_ERROR_PPM == 7937, "34 at -0.79 %");
C
