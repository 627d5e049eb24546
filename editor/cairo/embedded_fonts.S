/* The panel's four font faces, embedded in the Linux modules (the build's
   font folder is on the assembler's include path). Hidden: each module keeps
   its own copy to itself. */
    .section .rodata
    .balign 16
#define FACE(name, file)      \
    .global name;             \
    .hidden name;             \
    .global name##_end;       \
    .hidden name##_end;       \
name:                         \
    .incbin file;             \
name##_end:                   \
    .balign 16

FACE(dq_face_cinzel_bold, "Cinzel-Bold.ttf")
FACE(dq_face_inter_regular, "Inter-Regular.ttf")
FACE(dq_face_inter_bold, "Inter-Bold.ttf")

    .section .note.GNU-stack, "", %progbits
