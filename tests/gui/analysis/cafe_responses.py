#!/usr/bin/python3
"""Writes a server data file of made-up responses to the sample survey data/samples/cafe-visit.orv
(question 2 with "Other" and comments), for the analysis screenshots. Usage: cafe_responses.py OUT [N]"""
import random
import sys

random.seed(11)
count = int(sys.argv[2]) if len(sys.argv) > 2 else 120
others = ["Radio advert", "Saw it on a map", "Work colleague", "Walking tour", "Hotel reception"]
comments = ["Lovely place", "Found you by chance", "Great coffee", "Friendly staff", "Will come back"]
changes = ["More seats outside", "Open earlier on Sundays", "Oat milk please", "Quieter music",
           "Card payments under 5 pounds", "Bigger cakes", "", "", ""]
stories = ["The breakfast was excellent and the staff remembered my name.",
           "Busy at lunchtime but worth the wait. The soup of the day was very good.",
           "A bit cold near the door in winter. Otherwise a perfect spot to read.",
           "", "", ""]


def weighted(weights):
    return random.choices(range(len(weights)), weights=weights)[0]


def line(n):
    fields = [f"RemoteAddr=10.1.{n // 200}.{n % 200 + 1}", "DateRec=20261201%06d" % (90000 + n)]
    first = weighted([30, 25, 20, 10, 8])
    if first == 4:
        fields += ["orv2=Other", f'"orv2Other={random.choice(others)}"']
    else:
        fields.append(f"orv2={first}")
    if random.random() < 0.3:
        fields.append(f'"orv2Comment={random.choice(comments)}"')
    again = weighted([65, 35])
    fields.append(f"orv3={again}")
    if again == 0:
        for option, chance in enumerate([0.8, 0.35, 0.4, 0.5, 0.45]):
            if random.random() < chance:
                fields.append(f"orv4-{option}=1")
        fields.append(f"orv5={weighted([10, 40, 35, 15])}")
    fields.append(f"orv6={weighted([2, 5, 18, 45, 30])}")
    fields.append(f"orv8={max(0, min(60, int(random.gauss(12, 8))))}")
    change = random.choice(changes)
    if change:
        fields.append(f'"orv9={change}"')
    story = random.choice(stories)
    if story:
        fields.append(f'"orv10={story}"')
    return ",".join(fields)


with open(sys.argv[1], "w", newline="") as out:
    out.write("<DATA>\r\n")
    for n in range(count):
        out.write(line(n) + "\r\n")
    out.write("</DATA>\r\n")
